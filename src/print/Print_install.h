#pragma once
// Hands the printout to the shell: the print service (list builders, time text, page count, print
// job) and the three windows. After it the main and archive windows enable Print and Preview.
void Print_install();
