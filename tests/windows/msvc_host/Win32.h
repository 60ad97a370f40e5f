// The few Win32 functions and types the Microsoft-layout host uses, declared
// here because it is built without a Windows SDK. kernel32.def and user32.def
// list the same functions for their import libraries.
#ifndef SMTPCLIENT_MSVC_HOST_WIN32_H
#define SMTPCLIENT_MSVC_HOST_WIN32_H

typedef void* HANDLE;
typedef void* HMODULE;
typedef void* HWND;
typedef unsigned long DWORD;
typedef int BOOL;
typedef unsigned long long ULONGLONG;
typedef long long LONG_PTR;
typedef unsigned long long UINT_PTR;

struct POINT {
    long x;
    long y;
};

struct MSG {
    HWND hwnd;
    unsigned int message;
    UINT_PTR wParam;
    LONG_PTR lParam;
    DWORD time;
    POINT pt;
    DWORD lPrivate;
};

const DWORD kStdOutputHandle = static_cast<DWORD>(-11);
const DWORD kGenericRead = 0x80000000u;
const DWORD kGenericWrite = 0x40000000u;
const DWORD kCreateAlways = 2;
const DWORD kOpenExisting = 3;
const DWORD kFileAttributeNormal = 0x80;
const unsigned int kPeekRemove = 1;
const DWORD kQueueAllInput = 0x04FF;
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)))

extern "C" {
// kernel32
__declspec(dllimport) HMODULE LoadLibraryW(const wchar_t* name);
__declspec(dllimport) void* GetProcAddress(HMODULE module, const char* nameOrOrdinal);
__declspec(dllimport) HANDLE GetStdHandle(DWORD which);
__declspec(dllimport) BOOL
    WriteFile(HANDLE file, const void* data, DWORD size, DWORD* written, void* overlapped);
__declspec(dllimport) BOOL
    ReadFile(HANDLE file, void* data, DWORD size, DWORD* read, void* overlapped);
__declspec(dllimport) HANDLE
    CreateFileW(const wchar_t* path, DWORD access, DWORD share, void* security, DWORD disposition,
                DWORD attributes, HANDLE model);
__declspec(dllimport) BOOL CloseHandle(HANDLE handle);
__declspec(dllimport) BOOL DeleteFileW(const wchar_t* path);
__declspec(dllimport) DWORD GetTempPathW(DWORD capacity, wchar_t* buffer);
__declspec(dllimport) const wchar_t* GetCommandLineW(void);
__declspec(dllimport) DWORD GetCurrentThreadId(void);
__declspec(dllimport) ULONGLONG GetTickCount64(void);
__declspec(dllimport) DWORD GetProcessHeaps(DWORD capacity, HANDLE* heaps);
__declspec(dllimport) BOOL HeapValidate(HANDLE heap, DWORD flags, const void* block);
__declspec(dllimport) __declspec(noreturn) void ExitProcess(unsigned int code);
// user32
__declspec(dllimport) BOOL PeekMessageW(MSG* message, HWND window, unsigned int first,
                                        unsigned int last, unsigned int remove);
__declspec(dllimport) LONG_PTR DispatchMessageW(const MSG* message);
__declspec(dllimport) DWORD
    MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD timeoutMs,
                              DWORD wakeMask);
}

#endif
