#include "stream/LogOutputHolder.h"

#include <algorithm>

namespace stream {

namespace {
// Every line goes out with a line end of at most two bytes.
constexpr size_t kLineEnd = 2;
} // namespace

void LogOutputHolder::setSizeLimit(uint64_t bytes, std::function<std::string()> notice) {
    std::lock_guard<std::mutex> guard(lock_);
    sizeLimit_ = bytes;
    notice_ = std::move(notice);
}

bool LogOutputHolder::admit(size_t length) {
    if (full_) {
        return false;
    }
    if (sizeLimit_ == 0 || written_ + length + kLineEnd <= sizeLimit_) {
        written_ += length + kLineEnd;
        return true;
    }
    full_ = true;
    if (notice_) {
        target_->write(notice_());
    }
    return false;
}

void LogOutputHolder::open(std::unique_ptr<LogOutput> target, const std::string& path, int mode) {
    std::lock_guard<std::mutex> guard(lock_);
    if (opened_ && target_) {
        target_->close();
    }
    opened_ = false;
    written_ = 0;
    full_ = false;
    target_ = std::move(target);
    if (target_) {
        target_->open(path, mode);
        opened_ = true;
    }
}

void LogOutputHolder::write(std::string_view line) {
    std::lock_guard<std::mutex> guard(lock_);
    if (opened_ && target_ && admit(std::min(line.size(), target_->lineLimit()))) {
        target_->write(line);
    }
}

void LogOutputHolder::write(std::string_view head, std::string_view body) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!opened_ || !target_) {
        return;
    }
    size_t limit = target_->lineLimit();
    if (limit != static_cast<size_t>(-1)) {
        // A few bytes beyond the limit let the target cut at a character boundary.
        size_t keep = limit > head.size() ? limit - head.size() + 4 : 4;
        body = body.substr(0, keep);
    }
    if (!admit(std::min(head.size() + body.size(), limit))) {
        return;
    }
    std::string line;
    line.reserve(head.size() + body.size());
    line.append(head);
    line.append(body);
    target_->write(line);
}

void LogOutputHolder::flush() {
    std::lock_guard<std::mutex> guard(lock_);
    if (opened_ && target_) {
        target_->flush();
    }
}

void LogOutputHolder::close(std::string_view last) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!opened_ || !target_) {
        return;
    }
    if (!last.empty() && !full_) {
        target_->write(last);
    }
    target_->close();
    opened_ = false;
}

bool LogOutputHolder::isOpen() const {
    std::lock_guard<std::mutex> guard(lock_);
    return opened_;
}

size_t LogOutputHolder::lineLimit() const {
    std::lock_guard<std::mutex> guard(lock_);
    return target_ ? target_->lineLimit() : static_cast<size_t>(-1);
}

void LogOutputHolder::discardTarget() {
    std::lock_guard<std::mutex> guard(lock_);
    if (opened_ && target_) {
        target_->close();
    }
    opened_ = false;
    target_.reset();
}

} // namespace stream
