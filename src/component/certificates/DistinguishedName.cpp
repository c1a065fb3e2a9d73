#include "component/certificates/DistinguishedName.h"

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "component/certificates/XercesRegex.h"
#include "component/module/SettingsTable.h"
#include "stream/Log.h"
#include "stream/LogLevel.h"

namespace component::certificates {

namespace {

struct Rule {
    const char* pattern;
    bool caseInsensitive;
    const char* replacement;
};

const std::vector<Rule> kJavaToMs = {
    {" ST=", false, " S="},       {" EMAILADDRESS=", true, " E="},
    {" INITIALS=", true, " I="},  {" SURNAME=", true, " SN="},
    {" GIVENNAME=", true, " G="}, {" SERIALNUMBER=", false, " OID.2.5.4.5="},
};
const std::vector<Rule> kMsToJava = {
    {" S=", false, " ST="},       {" E=", true, " EMAILADDRESS="},
    {" I=", true, " INITIALS="},  {" SN=", true, " SURNAME="},
    {" G=", true, " GIVENNAME="}, {" OID.2.5.4.5=", false, " SERIALNUMBER="},
};
const std::vector<Rule> kMsToSp3 = {{" OID.2.5.4.5=", false, " SERIALNUMBER="}};
const std::vector<Rule> kSp3ToMs = {{" SERIALNUMBER=", false, " OID.2.5.4.5="}};

// The compiled expression of a rule. The rules are constant, so each is compiled once and
// shared (matching and replacing do not change a Xerces expression).
const XercesRegex& compiled(const Rule& rule) {
    static std::mutex mutex;
    static std::map<const Rule*, std::unique_ptr<XercesRegex>> cache;
    std::lock_guard<std::mutex> lock(mutex);
    std::unique_ptr<XercesRegex>& entry = cache[&rule];
    if (!entry) {
        entry = std::make_unique<XercesRegex>(rule.pattern, rule.caseInsensitive ? "i" : nullptr);
    }
    return *entry;
}

std::string applyRules(const std::string& text, const std::vector<Rule>& rules) {
    std::string work = " " + text;
    for (const Rule& rule : rules) {
        // Most texts hold none of the names: skip the expression when the text cannot match
        // (only for case-sensitive patterns without a dot, which are plain text).
        if (!rule.caseInsensitive && std::strchr(rule.pattern, '.') == nullptr &&
            work.find(rule.pattern) == std::string::npos) {
            continue;
        }
        work = compiled(rule).replace(work, rule.replacement);
    }
    return work.substr(1);
}

void trace(const std::string& text) {
    stream::Log::instance().log(stream::LOG_TRACE, text);
}

} // namespace

std::string platformFlavour() {
    return "MsSP3";
}

std::string transformDN(const std::string& text, bool isAttributeName, std::string inFormat,
                        std::string outFormat) {
    trace("CQNCertificate::transformDN()");
    if (inFormat.empty()) {
        inFormat = platformFlavour();
    }
    if (outFormat.empty()) {
        outFormat = platformFlavour();
    }
    trace("CQNCertificate::transformDN(): inFormat=" + inFormat + " outFormat:" + outFormat);
    std::string work = isAttributeName ? text + "=" : text;
    std::vector<const std::vector<Rule>*> sets;
    if (inFormat == "Ms" && outFormat == "Java") {
        sets = {&kMsToJava};
    } else if (inFormat == "MsSP3" && outFormat == "Java") {
        sets = {&kSp3ToMs, &kMsToJava};
    } else if (inFormat == "Java" && outFormat == "Ms") {
        sets = {&kJavaToMs};
    } else if (inFormat == "MsSP3" && outFormat == "Ms") {
        sets = {&kSp3ToMs};
    } else if (inFormat == "Java" && outFormat == "MsSP3") {
        sets = {&kJavaToMs, &kMsToSp3};
    } else if (inFormat == "Ms" && outFormat == "MsSP3") {
        sets = {&kMsToSp3};
    }
    for (const std::vector<Rule>* set : sets) {
        work = applyRules(work, *set);
    }
    if (isAttributeName && !work.empty() && work.back() == '=') {
        work.pop_back();
    }
    return work;
}

std::string getDNAttribute(const std::string& attribute, const std::string& dn) {
    if (attribute == "ALL") {
        return dn;
    }
    size_t at = dn.find(attribute + "=");
    if (at == std::string::npos) {
        return {};
    }
    size_t start = at + attribute.size() + 1;
    if (start < dn.size() && dn[start] == '"') {
        size_t close = dn.find('"', start + 1);
        return close == std::string::npos ? dn.substr(start + 1)
                                          : dn.substr(start + 1, close - start - 1);
    }
    size_t comma = dn.find(',', start);
    return comma == std::string::npos ? dn.substr(start) : dn.substr(start, comma - start);
}

std::string outputNameFormat() {
    const module::SettingsTable& settings = module::SettingsTable::instance();
    std::string changed = settings.get("DNFormatChanged");
    return changed.empty() ? settings.get("DNFormat") : changed;
}

} // namespace component::certificates
