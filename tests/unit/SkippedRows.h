// The rows of a table that could not be set up on this machine. Each is skipped alone and named in
// the output; the other rows still run and are judged. Only a test none of whose rows ran counts
// as skipped: end it with `if (skipped.NoneRan()) GTEST_SKIP() << skipped.Text();`.
#pragma once

#include <gtest/gtest.h>
#include <iostream>
#include <string>

class SkippedRows {
public:
    explicit SkippedRows(size_t rows) : rows_(rows) {}
    void Skip(const std::string &row, const std::string &why)
    {
        const std::string line = row + ": " + why;
        std::cout << "[ SKIPPED ROW ] " << line << std::endl;
        ::testing::Test::RecordProperty("skipped_row_" + std::to_string(++count_), line);
        text_ += (text_.empty() ? "" : "; ") + line;
    }
    bool NoneRan() const { return count_ == rows_; }
    const std::string &Text() const { return text_; }

private:
    size_t rows_;
    size_t count_ = 0;
    std::string text_;
};
