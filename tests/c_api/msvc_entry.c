/* The start-up the C runtime would give a host built for the Microsoft ABI:
 * the command line's arguments from msvcrt.dll, main, and exit with its
 * code. */
typedef struct {
    int newMode;
} StartupInfo;

int __getmainargs(int* argc, char*** argv, char*** environment, int expandWildcards,
                  StartupInfo* info);
void exit(int code);
int main(int argc, char** argv);

void HostEntry(void) {
    int argc = 0;
    char** argv = 0;
    char** environment = 0;
    StartupInfo info = {0};
    __getmainargs(&argc, &argv, &environment, 0, &info);
    exit(main(argc, argv));
}
