/* ovdlib.h: the interface of the archive library "ovd.lib" (a 7z reader DLL).
 *
 * The engine binds the DLL at run time: LoadLibraryA("ovd.lib") from its own folder, then
 * GetProcAddress by the undecorated names below ("OpenListArchive", ...). All exports and
 * all callbacks are stdcall. Texts are zero-terminated ANSI strings in the process's code
 * page. docs/ovd-lib.md describes every argument, the callback protocols and the error
 * codes; this header is the contract and stays stable.
 *
 * No <windows.h> here: fixed-width types only, so that OS-free code and native tools can
 * include it too. */
#ifndef OVDLIB_H
#define OVDLIB_H

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define OVD_STDCALL __attribute__((stdcall))
#else
#define OVD_STDCALL /* x86-64 and native builds have one calling convention */
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Error codes, read with GetLastArchiveError(0) after a failed call. */
enum {
    OVD_OK = 0,
    OVD_E_NOT_FOUND = 1001,    /* "The archive file was not found" */
    OVD_E_ILLEGAL_PATH = 1002, /* "Illegal path used in a wildcard expression" */
    OVD_E_CANNOT_OPEN = 1003,  /* "The archive cannot be opened: unsupported archive or
                                  incorrect password" (also a wrong password found while
                                  extracting) */
    OVD_E_CORRUPT = 1004,      /* "The archive is corrupt" */
    OVD_E_CRC = 1005,          /* "CRC error in the archive" */
    OVD_E_UNSUPPORTED = 1006,  /* "The archive uses an unsupported method" */
    OVD_E_WRITE = 1007,        /* "Cannot write the extracted file" */
    OVD_E_CANCELLED = 1008,    /* "The operation was cancelled" */
    OVD_E_NO_MEMORY = 1009,    /* "Not enough memory" */
    OVD_E_BAD_ARGUMENT = 1010, /* "Invalid argument" */
    OVD_E_READ = 1011          /* "Cannot read the archive file" */
};

/* Largest password the library accepts (in bytes, without the terminating zero); the
 * password callback's buffer holds OVD_PASSWORD_BUFFER bytes. */
#define OVD_PASSWORD_BUFFER 1024
/* Error texts handed out by GetLastArchiveError fit in this many bytes, zero included. */
#define OVD_ERROR_TEXT_BUFFER 256

/* ExtractArchive's second argument. */
#define OVD_OP_TEST 0    /* decode and check every named entry, write nothing */
#define OVD_OP_EXTRACT 1 /* extract the named entries (the engine passes 1) */

/* Overwrite callback answers. */
#define OVD_OVERWRITE_CANCEL 0  /* stop the extraction with OVD_E_CANCELLED */
#define OVD_OVERWRITE_NO 1      /* keep the existing file, skip this entry */
#define OVD_OVERWRITE_YES 2     /* replace the existing file */
#define OVD_OVERWRITE_NO_ALL 3  /* keep it, and keep every further existing file unasked */
#define OVD_OVERWRITE_YES_ALL 4 /* replace it, and every further one unasked */

/* TSZW_TARGETFILES: the entries to extract, by their listed names (compared without regard
 * to case, '/' and '\' alike). A pointer to an array of pointers to zero-terminated ANSI
 * names, then a 32-bit count. */
typedef struct TSZW_TARGETFILES {
    char** FileNames;
    uint32_t Count;
} TSZW_TARGETFILES;

/* One entry of an archive listing: 48 bytes on 32- and 64-bit alike. */
typedef struct OVD_LISTENTRY {
    union {
        const char* Name; /* 0: stored name, ANSI, '\' between folders; owned by the handle */
        uint64_t NameSlot;
    } u;
    uint64_t Size;       /* 8: unpacked size in bytes (0 for folders) */
    uint64_t PackedSize; /* 16: packed size of the entry's folder, counted on the first
                            entry of a folder only (so the sum is the archive's) */
    uint32_t Crc;        /* 24: CRC-32 of the data when Flags has OVD_ENTRY_HAS_CRC */
    uint32_t Flags;      /* 28: OVD_ENTRY_* bits */
    uint32_t TimeLow;    /* 32: FILETIME of the last write (UTC), low part */
    uint32_t TimeHigh;   /* 36: high part; 0/0 when the archive stores no time */
    uint32_t Attributes; /* 40: Windows file attributes (FILE_ATTRIBUTE_DIRECTORY for
                            folders) */
    uint32_t Index;      /* 44: position of the entry in the archive */
} OVD_LISTENTRY;

#define OVD_ENTRY_DIRECTORY 0x1u /* a folder */
#define OVD_ENTRY_HAS_CRC 0x2u   /* Crc is valid */
#define OVD_ENTRY_ENCRYPTED 0x4u /* its data is encrypted (7zAES) */
#define OVD_ENTRY_HAS_TIME 0x8u  /* TimeLow/TimeHigh are valid */

#ifdef __cplusplus
static_assert(sizeof(OVD_LISTENTRY) == 48, "the listing entry is 48 bytes");
static_assert(sizeof(TSZW_TARGETFILES) == 2 * sizeof(void*), "pointer, then a 32-bit count");
#else
_Static_assert(sizeof(OVD_LISTENTRY) == 48, "the listing entry is 48 bytes");
#endif

/* Callbacks (stdcall functions of the caller). Any of them may be 0. */

/* Asked when the archive is encrypted and no (or a wrong) password argument was given;
 * at most once per call. Copies a zero-terminated password into buffer
 * (OVD_PASSWORD_BUFFER bytes) and returns 1, or returns 0 when it has none. */
typedef int32_t(OVD_STDCALL* OVD_PASSWORDCALLBACK)(char* buffer);

/* Called once per entry before it is extracted (and once at the end with fileName = 0):
 * fileName is the listed name, index counts the entries handled so far (0-based) out of
 * count, bytesDone/bytesTotal are the unpacked bytes of the whole call. The return value
 * is ignored (return 1). */
typedef int32_t(OVD_STDCALL* OVD_FILECALLBACK)(const char* fileName, uint32_t index, uint32_t count,
                                               uint64_t bytesDone, uint64_t bytesTotal);

/* Called often while data is decoded (at least every 256 KiB of output and between
 * entries). Returning 0 stops the call promptly; it fails with OVD_E_CANCELLED and leaves
 * no half-written file. */
typedef int32_t(OVD_STDCALL* OVD_CONTINUECALLBACK)(uint64_t bytesDone, uint64_t bytesTotal);

/* Called when the target file of an entry already exists. Returns an OVD_OVERWRITE_*
 * answer. Without a callback existing files are replaced. */
typedef int32_t(OVD_STDCALL* OVD_OVERWRITECALLBACK)(
    const char* targetPath, /* the existing file, full path */
    uint64_t existingSize, uint32_t existingTimeLow, uint32_t existingTimeHigh,
    const char* entryName, /* the entry's listed name */
    uint64_t entrySize, uint32_t entryTimeLow, uint32_t entryTimeHigh,
    uint32_t entryIndex, /* position of the entry in the archive */
    uint32_t reserved);  /* 0 */

/* Opaque listing handle; 0 is failure. */
typedef void* OVD_HANDLE;

/* The exports. Their names are undecorated ("OpenListArchive", not "_OpenListArchive@36"). */

/* Lists an archive. reserved* must be 0. password may be 0 or "". On success returns a
 * handle and sets *entries to an array of *count listing entries that stays valid until
 * CloseListArchive(handle); on failure returns 0 (see GetLastArchiveError). */
OVD_HANDLE OVD_STDCALL OpenListArchive(const char* archivePath, int32_t reserved1,
                                       OVD_PASSWORDCALLBACK passwordCallback, void* reserved2,
                                       void* reserved3, void* reserved4, const char* password,
                                       OVD_LISTENTRY** entries, uint32_t* count);

/* Frees a listing. Returns 1, or 0 for a handle that is not open. */
int32_t OVD_STDCALL CloseListArchive(OVD_HANDLE handle);

/* Extracts (operation OVD_OP_EXTRACT) or tests (OVD_OP_TEST) the entries named in
 * *targetFiles (targetFiles = 0: every entry) into targetFolder, keeping their folders
 * unless withoutFolderNames is non-zero. Returns non-zero on success, 0 on failure. */
int32_t OVD_STDCALL ExtractArchive(const char* archivePath, int32_t operation,
                                   const char* targetFolder, const TSZW_TARGETFILES* targetFiles,
                                   int32_t withoutFolderNames, const char* password,
                                   OVD_PASSWORDCALLBACK passwordCallback,
                                   OVD_FILECALLBACK fileCallback,
                                   OVD_CONTINUECALLBACK continueCallback,
                                   OVD_OVERWRITECALLBACK overwriteCallback);

/* The error code of the calling thread's last failed call (0 after a success). When text
 * is not 0 it receives the error's text (OVD_ERROR_TEXT_BUFFER bytes, zero-terminated).
 * The engine passes 0. */
int32_t OVD_STDCALL GetLastArchiveError(char* text);

/* Function-pointer types for GetProcAddress binding. */
typedef OVD_HANDLE(OVD_STDCALL* OVD_PFN_OpenListArchive)(const char*, int32_t, OVD_PASSWORDCALLBACK,
                                                         void*, void*, void*, const char*,
                                                         OVD_LISTENTRY**, uint32_t*);
typedef int32_t(OVD_STDCALL* OVD_PFN_CloseListArchive)(OVD_HANDLE);
typedef int32_t(OVD_STDCALL* OVD_PFN_ExtractArchive)(const char*, int32_t, const char*,
                                                     const TSZW_TARGETFILES*, int32_t, const char*,
                                                     OVD_PASSWORDCALLBACK, OVD_FILECALLBACK,
                                                     OVD_CONTINUECALLBACK, OVD_OVERWRITECALLBACK);
typedef int32_t(OVD_STDCALL* OVD_PFN_GetLastArchiveError)(char*);

/* The names to pass to GetProcAddress. */
#define OVD_NAME_OpenListArchive "OpenListArchive"
#define OVD_NAME_CloseListArchive "CloseListArchive"
#define OVD_NAME_ExtractArchive "ExtractArchive"
#define OVD_NAME_GetLastArchiveError "GetLastArchiveError"
#define OVD_LIBRARY_NAME "ovd.lib"

#ifdef __cplusplus
}
#endif

#endif /* OVDLIB_H */
