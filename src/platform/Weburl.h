#pragma once
// Opens a web address in the user's browser (implemented by the GUI shell).
void Open_web_address(const char* url);
