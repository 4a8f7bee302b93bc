// Small memory, string, file and log helpers of libgui.
#pragma once

// Thin wrappers of the system allocator. GL_cmalloc returns zero-filled
// memory. A negative size gives null; a size of 0 still gives a valid block.
void* GL_malloc(int size);
void* GL_cmalloc(int size);
void* GL_realloc(void* p, int size);
void GL_free(void* p);

// Heap copy made with GL_malloc; null for a null string.
char* GL_CopyString(char const* s);
// 0 for a null or empty string, else strlen.
int GL_strlen(char const* s);
// strcmp that orders a null string before every other: both null give 0.
int GL_strcmp(char const* a, char const* b);
// New 30-byte heap buffer holding the decimal text of i (caller frees).
char* GL_itoa(long i);

// Exchange the two values.
void GL_SwapInt(int* a, int* b);
void GL_SwapDouble(double* a, double* b);

// Reads a whole file into a new zero-terminated buffer (caller frees) and its
// length. -1 for a null or empty path, a missing, empty or unreadable file;
// nothing is allocated then. 0 on success.
int GL_ReadFile(char const* path, char** data, int* len);

// Descriptor of the log file "/home/zlog.txt", -1 until the first WriteLog.
extern int gLogFd;
// printf-style text appended to the log (no newline added); at most 511
// characters per call. The file is truncated when the process first logs.
void WriteLog(char const* fmt, ...) __attribute__((format(printf, 1, 2)));
