// Print list storage and the page set-up record.
#include "print/Print_list.h"

#include "print/Printer_data.h"

PrintPageRec PrintPage = {};

std::vector<std::unique_ptr<PrintLine>> PrintListLines;
std::vector<std::unique_ptr<PrintMark>> PrintListMarks;

void Print_list_clear_lines()
{
    PrintListLines.clear();
    PrintListLines.shrink_to_fit();
}

void Print_list_clear_marks()
{
    PrintListMarks.clear();
    PrintListMarks.shrink_to_fit();
}
