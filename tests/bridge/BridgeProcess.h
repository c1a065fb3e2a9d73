#pragma once

// A qnbridge child process over pipes, with a scratch home, temporary folder and answers
// file, spoken to with the browser's framing.

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <sys/types.h>

class BridgeProcess {
public:
    // `scratch`: the folder that holds home/, tmp/ and answers (written from `answers`).
    BridgeProcess(const std::string& scratch, const std::string& answers);
    ~BridgeProcess();

    // Sends raw bytes (a frame the test built itself).
    void sendRaw(const std::string& bytes);
    // Sends one message with a correct length prefix.
    void send(const std::string& json);
    // The next message (its text), or nullopt when the stream ended; a bounded wait.
    std::optional<std::string> receiveText();
    // The next reply, chunks reassembled into the reply's text first.
    nlohmann::json receive();
    // Sends a request with the origin filled in and returns its reply.
    nlohmann::json request(nlohmann::json message);
    // Closes the input (the browser went away).
    void closeInput();
    // Closes the input and waits for the exit status (bounded).
    int finish();
    // Whether the process is still running.
    bool alive();

    std::string origin = "https://firma.example.org";

private:
    pid_t pid_ = -1;
    int in_ = -1;  // to the bridge
    int out_ = -1; // from the bridge
    std::int64_t nextId_ = 1;
};

// The folder of a new scratch tree under the test's temporary directory.
std::string makeScratch();
