// A console whose answers come from a string and whose text is captured.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "driver/console.hpp"

namespace tarnvik::testing {

class test_console {
public:
    explicit test_console(const std::string& answers = "") : answers_(answers) {
        con_ = std::make_unique<console>();
        con_->in = answers_.empty() ? std::fopen("/dev/null", "rb")
                                    : fmemopen(answers_.data(), answers_.size(), "rb");
        con_->out = open_memstream(&text_, &size_);
    }
    ~test_console() {
        std::fclose(con_->in);
        std::fclose(con_->out);
        std::free(text_);
    }
    test_console(const test_console&) = delete;
    test_console& operator=(const test_console&) = delete;

    console& con() {
        return *con_;
    }
    // Everything printed so far, held text included.
    std::string text() {
        release(*con_);
        return std::string(text_, size_);
    }

private:
    std::string answers_;
    std::unique_ptr<console> con_;
    char* text_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace tarnvik::testing
