/* file_floor RUNS FOLDER: Wine's floor for writing the start-up benchmark's files: 300
 * empty files in 12 folders below FOLDER (created and closed, nothing written), timed inside
 * the program, FOLDER emptied between runs. Prints one line per run and
 * "median file floor: M ms (min A, max B)". */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

static double Now(void)
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return (double)counter.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

static int Compare(const void* a, const void* b)
{
    const double x = *(const double*)a, y = *(const double*)b;
    return (x > y) - (x < y);
}

enum { kFiles = 300, kFolders = 12, kMaxRuns = 100 };

int main(int argc, char** argv)
{
    double times[kMaxRuns];
    char path[MAX_PATH];
    int runs, r, i;
    if (argc != 3) {
        fprintf(stderr, "usage: file_floor RUNS FOLDER\n");
        return 2;
    }
    runs = atoi(argv[1]);
    if (runs < 1 || runs > kMaxRuns)
        runs = 1;
    for (r = 0; r < runs; ++r) {
        double start;
        CreateDirectoryA(argv[2], NULL);
        start = Now();
        for (i = 0; i < kFolders; ++i) {
            snprintf(path, sizeof path, "%s\\dir%02d", argv[2], i);
            CreateDirectoryA(path, NULL);
        }
        for (i = 0; i < kFiles; ++i) {
            HANDLE file;
            snprintf(path, sizeof path, "%s\\dir%02d\\file%03d.txt", argv[2], i % kFolders, i);
            file =
                CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
            if (file == INVALID_HANDLE_VALUE) {
                fprintf(stderr, "cannot create %s (%lu)\n", path, GetLastError());
                return 1;
            }
            CloseHandle(file);
        }
        times[r] = Now() - start;
        printf("run %d: %.1f ms\n", r + 1, times[r]);
        for (i = 0; i < kFiles; ++i) {
            snprintf(path, sizeof path, "%s\\dir%02d\\file%03d.txt", argv[2], i % kFolders, i);
            DeleteFileA(path);
        }
        for (i = 0; i < kFolders; ++i) {
            snprintf(path, sizeof path, "%s\\dir%02d", argv[2], i);
            RemoveDirectoryA(path);
        }
    }
    qsort(times, (size_t)runs, sizeof times[0], Compare);
    printf("median file floor: %.1f ms (min %.1f, max %.1f)\n", times[runs / 2], times[0],
           times[runs - 1]);
    return 0;
}
