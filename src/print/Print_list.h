#pragma once
// The print list of a drive data set: its lines and the marks where pages start.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct PrintLine {
    std::string text;
    uint16_t level = 0;  // section nesting
};

struct PrintMark {
    uint32_t first_line = 0;  // index of the first line of the page
};

extern std::vector<std::unique_ptr<PrintLine>> PrintListLines;
extern std::vector<std::unique_ptr<PrintMark>> PrintListMarks;

// Free every line, respectively every page mark, of the print list.
void Print_list_clear_lines();
void Print_list_clear_marks();
