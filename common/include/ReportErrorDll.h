// The libraries' fault report and the file-title helper they share with the program.
#pragma once

// Writes the file title of path into title: the text after the last '\' or '/',
// up to the last dot that follows it. title must hold strlen(path) + 1 bytes.
void GetFileTitleFromPath(const char* path, char* title);

// Reports a fault that the user cannot cause; returns the box's result
// (kIdOk when the report was copied, kIdCancel otherwise). Callable from any thread.
int ReportErrorDll(const char* sourcePath, int line, const char* message);
