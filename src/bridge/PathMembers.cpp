#include "bridge/PathMembers.h"

#include "com/MemberLookup.h"

#include <iterator>

namespace bridge {

namespace {

constexpr IID kIQNContent = com::makeGuid("20844F08-4532-477B-A9FA-46D9E4217902");

const PathMembers::Entry kRefused[] = {
    {"IQNContent", kIQNContent, "saveFile"},
    {"IQNContent", kIQNContent, "loadFileWithPath"},
    {"IQNContent", kIQNContent, "getFileSizeByPath"},
};

const PathMembers::Entry kDialogs[] = {
    {"IQNContent", kIQNContent, "loadFileWithDialog"},
    {"IQNContent", kIQNContent, "saveFileWithDialog"},
    {"IQNContent", kIQNContent, "loadFileWithDialogTitle"},
    {"IQNContent", kIQNContent, "getFilePathWithDialog"},
};

} // namespace

const PathMembers::Entry* PathMembers::refused(std::size_t* count) {
    *count = std::size(kRefused);
    return kRefused;
}

const PathMembers::Entry* PathMembers::dialogs(std::size_t* count) {
    *count = std::size(kDialogs);
    return kDialogs;
}

bool PathMembers::isRefused(REFIID iid, std::string_view member) {
    for (const Entry& e : kRefused) {
        if (IsEqualIID(e.iid, iid) && com::sameMemberName(e.member, member)) {
            return true;
        }
    }
    return false;
}

} // namespace bridge
