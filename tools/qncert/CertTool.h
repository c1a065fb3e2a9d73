#pragma once

#include <iosfwd>
#include <map>
#include <string>
#include <vector>

namespace qncert {

// The commands of qncert over the folder certificate stores.
class CertTool {
public:
    CertTool(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

    // Runs one command line (without the program name); returns the exit status.
    int run(const std::vector<std::string>& args);

private:
    int import(const std::vector<std::string>& files);
    int list();
    int exportCertificate(const std::vector<std::string>& which);
    int remove(const std::vector<std::string>& which);
    int demo();
    int usage();

    std::string option(const std::string& name, const std::string& fallback) const;
    int location() const;

    std::ostream& out_;
    std::ostream& err_;
    std::map<std::string, std::string> options_;
};

} // namespace qncert
