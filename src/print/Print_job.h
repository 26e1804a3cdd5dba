#pragma once
// The print job of the parameter printout.
#include "print_core/Printer_data.h"

// Prints first_page..last_page on the page's printer entry; "PDF file" asks for the file first.
// A painter that cannot begin gives one warning naming the target.
void Fz_print_job(PrintPageRec* page);
// A running job whose list went away (its preview closed) prints nothing after its dialog.
void Fz_print_job_cancel();
bool Fz_print_job_running();
