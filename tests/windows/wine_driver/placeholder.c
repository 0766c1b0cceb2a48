/* The file the driver's service points at in the prefix's system32\drivers. Wine recognises it
 * by the placeholder signature that build.sh writes after its DOS header and then loads the
 * Winelib module of the same name (qd4682.sys.so) from WINEDLLPATH instead. Never run itself. */
long DriverEntry(void* driver, void* registryPath) {
    (void)driver;
    (void)registryPath;
    return (long)0xC0000001L; /* STATUS_UNSUCCESSFUL: the real driver was not found */
}
