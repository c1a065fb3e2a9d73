// Every member of every class in the module's type library has a decision: it takes a path
// (refused to pages), it is a dialog that gives back the path the user picked (allowed), or it
// was reviewed and names no file. A new member without a decision fails here, so no path
// member reaches a page unnoticed.

#include "bridge/PathMembers.h"
#include "com/Com.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace {

// Class.member for every member that takes and gives no file-system path.
const std::set<std::string> kReviewed = {
#include "ReviewedMembers.inc"
};

const char* const kClasses[] = {
    "QNCollection",   "QNContent",  "QNCertificate", "QNCertificates", "QNCertificateStore",
    "QNVerifyStatus", "QNSignData", "QNVerifier",    "QNRecipients",   "QNEnvelopedData",
    "QNCryptoSystem", "PdfSign",    "QPASigner",
};

struct Member {
    IID iid;
    std::string name;
};

// Class.member -> the interface, for every member of the thirteen classes.
std::map<std::string, Member> typeLibrary() {
    std::map<std::string, Member> members;
    for (const char* name : kClasses) {
        CLSID clsid{};
        EXPECT_TRUE(com::clsidFromProgId(std::string("Quillion2.") + name, &clsid)) << name;
        com::ComPtr<IDispatch> object;
        HRESULT hr =
            CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.outVoid());
        EXPECT_TRUE(SUCCEEDED(hr) && object) << name;
        if (!object) {
            continue;
        }
        ITypeInfo* info = nullptr;
        EXPECT_TRUE(SUCCEEDED(object->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info)) && info);
        if (!info) {
            continue;
        }
        IID iid{};
        info->GetInterfaceId(&iid);
        UINT count = 0;
        info->GetMemberCount(&count);
        for (UINT i = 0; i < count; ++i) {
            const com::DispatchMember* member = nullptr;
            if (SUCCEEDED(info->GetMember(i, &member)) && member) {
                members[std::string(name) + "." + member->name] = Member{iid, member->name};
            }
        }
        info->Release();
    }
    return members;
}

class PathMembersTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string error;
        ASSERT_TRUE(com::loadModule(QUILLION_MODULE_PATH, &error)) << error;
    }
};

TEST_F(PathMembersTest, EveryMemberOfTheTypeLibraryHasADecision) {
    std::map<std::string, Member> members = typeLibrary();
    ASSERT_GT(members.size(), 80u);
    std::size_t dialogCount = 0;
    const bridge::PathMembers::Entry* dialogs = bridge::PathMembers::dialogs(&dialogCount);
    std::string undecided;
    for (const auto& [key, member] : members) {
        bool refused = bridge::PathMembers::isRefused(member.iid, member.name);
        bool dialog = false;
        for (std::size_t i = 0; i < dialogCount; ++i) {
            dialog |= IsEqualIID(dialogs[i].iid, member.iid) && member.name == dialogs[i].member;
        }
        bool reviewed = kReviewed.count(key) > 0;
        EXPECT_LE(int(refused) + int(dialog) + int(reviewed), 1) << key << " decided twice";
        if (!refused && !dialog && !reviewed) {
            undecided += "    \"" + key + "\",\n";
        }
    }
    EXPECT_TRUE(undecided.empty()) << "members without a decision:\n" << undecided;
    // Nothing reviewed that the library does not have (a renamed member is decided again).
    for (const std::string& key : kReviewed) {
        EXPECT_TRUE(members.count(key)) << key << " is not in the type library";
    }
}

TEST_F(PathMembersTest, EveryListedMemberExists) {
    std::map<std::string, Member> members = typeLibrary();
    for (bool refusedList : {true, false}) {
        std::size_t count = 0;
        const bridge::PathMembers::Entry* entries = refusedList
                                                        ? bridge::PathMembers::refused(&count)
                                                        : bridge::PathMembers::dialogs(&count);
        for (std::size_t i = 0; i < count; ++i) {
            bool found = false;
            for (const auto& [key, member] : members) {
                found |= IsEqualIID(member.iid, entries[i].iid) && member.name == entries[i].member;
            }
            EXPECT_TRUE(found) << entries[i].interfaceName << "." << entries[i].member;
        }
    }
    // Matched as IDispatch matches names.
    EXPECT_TRUE(bridge::PathMembers::isRefused(
        com::makeGuid("20844F08-4532-477B-A9FA-46D9E4217902"), "LOADFILEWITHPATH"));
}

} // namespace
