/* Lists the printer drivers the spooler knows, as the uninstaller and a person's tools ask for them:
 * EnumPrinterDriversA(NULL, <environment>, 3). One line per driver field, for the walks' judge:
 *   driver=<name>|version|<n>   driver=<name>|path|<full path>   (also data, config, help, dependent)
 * drivers.exe [environment]   (default "Windows NT x86"); exit code 1 when the spooler cannot be asked.
 */
#include <windows.h>
#include <winspool.h>
#include <stdio.h>
#include <stdlib.h>

static void field(const char *driver, const char *what, const char *value) {
    printf("driver=%s|%s|%s\n", driver, what, value ? value : "");
}

int main(int argc, char **argv) {
    char *environment = argc > 1 ? argv[1] : "Windows NT x86";
    DWORD needed = 0, count = 0, i;
    BYTE *block;
    EnumPrinterDriversA(NULL, environment, 3, NULL, 0, &needed, &count);
    if (!needed) {
        printf("drivers=0\n");
        return 0;
    }
    if (!(block = malloc(needed)) || !EnumPrinterDriversA(NULL, environment, 3, block, needed, &needed, &count)) {
        printf("ERROR: EnumPrinterDriversA failed (%lu)\n", (unsigned long)GetLastError());
        return 1;
    }
    printf("drivers=%lu\n", (unsigned long)count);
    for (i = 0; i < count; ++i) {
        DRIVER_INFO_3A *d = (DRIVER_INFO_3A *)block + i;
        char version[16];
        const char *dep;
        snprintf(version, sizeof version, "%lu", (unsigned long)d->cVersion);
        field(d->pName, "version", version);
        field(d->pName, "environment", d->pEnvironment);
        field(d->pName, "path", d->pDriverPath);
        field(d->pName, "data", d->pDataFile);
        field(d->pName, "config", d->pConfigFile);
        field(d->pName, "help", d->pHelpFile);
        for (dep = d->pDependentFiles; dep && *dep; dep += strlen(dep) + 1) field(d->pName, "dependent", dep);
    }
    free(block);
    return 0;
}
