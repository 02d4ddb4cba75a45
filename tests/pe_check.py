#!/usr/bin/python3
"""Checks the built setup.exe before it ships.

usage: pe_check.py [-v] [--x86_64] <setup.exe> <store dir>
       pe_check.py [-v] [--x86_64] --uninstaller <uninstall.exe> <store dir>
       pe_check.py --versions <setup.exe> <uninstall.exe> [<DisplayVersion>]

- a 32-bit x86 (machine 0x14c) program for the GUI subsystem that Windows 2000 accepts (subsystem and OS
  version at most 5.0);
- it imports only from DLLs that Windows always takes from the system directory, because the program runs
  with administrator rights from download folders where a planted DLL of another name would be loaded;
  winspool.drv and comctl32.dll are loaded at run time by full path instead;
- it imports no function that Windows 2000 lacks (the program would not start there);
- its OWNER_DATA resources are exactly the entries of <store dir>/manifest.tsv, each under language 2052,
  byte-equal to <store dir>/<id>.bin;
- identifiers whose catalogue row (<store dir>/manifest.tsv) is the same share one
  IMAGE_RESOURCE_DATA_ENTRY, so each row's bytes are in the file once (rows with equal bytes may share too);
- the file is at most the distinct payload (each row once) plus 320 KB (the program: its code for the
  32-bit and the x64 paths, dialogs, pictures, headers).

--uninstaller checks uninstall.exe the same way (header, imports) and that it is exactly the catalogue size
of the manifest's uninstaller entry (255), asks for administrator rights in its manifest, and is that store
entry (unless a vendor directory supplied it).

--versions reads the VERSIONINFO resource of both programs back: each has FileVersion, ProductVersion,
CompanyName, ProductName, FileDescription, OriginalFilename and LegalCopyright, not empty; its FileVersion and
ProductVersion texts are its fixed file and product version numbers; both agree on everything but the
description and the file name (setup.exe, uninstall.exe); and, when given, DisplayVersion (the uninstall
entry's value) is their ProductVersion.

--x86_64 checks the test-only x86_64 build: machine 0x8664 and the store checks; the Windows 2000
header and import checks apply to the shipped i686 program only.

Prints every problem found and exits non-zero when there is one.
"""
import os
import sys

import pefile

IMAGE_FILE_MACHINE_I386 = 0x14C
IMAGE_FILE_MACHINE_AMD64 = 0x8664
# What setup.exe may add to its store's distinct payload: code, dialogs, pictures, headers.
PROGRAM_ALLOWANCE = 320 * 1024
IMAGE_SUBSYSTEM_WINDOWS_GUI = 2
LANG_ZH_CN = 2052

# DLLs that the loader always takes from the system directory: the KnownDLLs of Windows 2000 and later
# (and ntdll, which every process has loaded already).
ALLOWED_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "msvcrt.dll", "ntdll.dll",
    "shell32.dll", "ole32.dll", "oleaut32.dll", "comdlg32.dll", "rpcrt4.dll",
}

# Functions that Windows 2000 (SP4) does not export, grouped by the release that brought them. These are
# the ones that the mingw-w64 runtime, libstdc++, libgcc and winpthreads pull in when they find them in the
# headers, plus the usual suspects of newer Win32 code. Names are compared exactly.
NEWER_THAN_WINDOWS_2000 = {
    "kernel32.dll": {
        # Windows XP / XP SP1-SP3
        "AddVectoredExceptionHandler", "RemoveVectoredExceptionHandler", "GetModuleHandleExA",
        "GetModuleHandleExW", "GetNativeSystemInfo", "IsWow64Process", "GetProcessId", "GetSystemTimes",
        "RtlCaptureContext", "RtlCaptureStackBackTrace", "EncodePointer", "DecodePointer", "EncodeSystemPointer",
        "DecodeSystemPointer", "InitializeSListHead", "InterlockedPushEntrySList", "InterlockedPopEntrySList",
        "InterlockedFlushSList", "QueryDepthSList", "SetDllDirectoryA", "SetDllDirectoryW", "GetDllDirectoryA",
        "GetDllDirectoryW", "AttachConsole", "GetConsoleProcessList", "TzSpecificLocalTimeToSystemTime",
        "GetLogicalProcessorInformation", "HeapSetInformation", "HeapQueryInformation", "GetSystemWow64DirectoryA",
        "GetSystemWow64DirectoryW", "WTSGetActiveConsoleSessionId", "CheckRemoteDebuggerPresent",
        "GetProcessHandleCount", "SetFileValidData", "SetProcessDEPPolicy", "GetProcessDEPPolicy",
        "GetSystemDEPPolicy", "CreateActCtxA", "CreateActCtxW", "ActivateActCtx", "DeactivateActCtx",
        "ReleaseActCtx", "FindActCtxSectionStringA", "FindActCtxSectionStringW", "SetSearchPathMode",
        # Windows Server 2003 / XP x64
        "FlsAlloc", "FlsFree", "FlsGetValue", "FlsSetValue", "SetThreadStackGuarantee", "AddVectoredContinueHandler",
        "RemoveVectoredContinueHandler", "GetThreadId", "GetProcessIdOfThread", "ReOpenFile",
        "Wow64DisableWow64FsRedirection", "Wow64RevertWow64FsRedirection", "GetNumaHighestNodeNumber",
        "InterlockedCompareExchange64",
        # Windows Vista / Server 2008
        "GetTickCount64", "InitializeCriticalSectionEx", "InitOnceInitialize", "InitOnceExecuteOnce",
        "InitOnceBeginInitialize", "InitOnceComplete", "InitializeSRWLock", "AcquireSRWLockExclusive",
        "AcquireSRWLockShared", "ReleaseSRWLockExclusive", "ReleaseSRWLockShared", "InitializeConditionVariable",
        "SleepConditionVariableCS", "SleepConditionVariableSRW", "WakeConditionVariable", "WakeAllConditionVariable",
        "CreateEventExA", "CreateEventExW", "CreateMutexExA", "CreateMutexExW", "CreateSemaphoreExA",
        "CreateSemaphoreExW", "CreateWaitableTimerExA", "CreateWaitableTimerExW", "GetErrorMode",
        "GetFileInformationByHandleEx", "SetFileInformationByHandle", "CreateSymbolicLinkA", "CreateSymbolicLinkW",
        "GetFinalPathNameByHandleA", "GetFinalPathNameByHandleW", "QueryFullProcessImageNameA",
        "QueryFullProcessImageNameW", "CancelIoEx", "CancelSynchronousIo", "GetQueuedCompletionStatusEx",
        "SetFileCompletionNotificationModes", "FlushProcessWriteBuffers", "GetCurrentProcessorNumber",
        "CompareStringEx", "CompareStringOrdinal", "LCMapStringEx", "GetLocaleInfoEx", "GetUserDefaultLocaleName",
        "GetSystemDefaultLocaleName", "LocaleNameToLCID", "LCIDToLocaleName", "IsValidLocaleName",
        "EnumSystemLocalesEx", "GetDateFormatEx", "GetTimeFormatEx", "GetNumberFormatEx", "GetCurrencyFormatEx",
        "GetCalendarInfoEx", "FindNLSStringEx", "ResolveLocaleName", "GetThreadPreferredUILanguages",
        "GetUserPreferredUILanguages", "IdnToAscii", "IdnToUnicode", "NormalizeString",
        "GetTimeZoneInformationForYear", "GetDynamicTimeZoneInformation", "InitializeProcThreadAttributeList",
        "UpdateProcThreadAttribute", "DeleteProcThreadAttributeList", "Wow64GetThreadContext",
        "RegisterApplicationRestart", "CreateThreadpoolWork", "SubmitThreadpoolWork", "CreateThreadpoolTimer",
        "SetThreadpoolTimer", "CloseThreadpoolWork", "CloseThreadpoolTimer", "WaitForThreadpoolWorkCallbacks",
        "GetFileMUIPath", "GetProductInfo",
        # Windows 7 and later
        "TryAcquireSRWLockExclusive", "TryAcquireSRWLockShared", "QueryUnbiasedInterruptTime",
        "SetThreadErrorMode", "GetThreadErrorMode", "RaiseFailFastException", "SetWaitableTimerEx",
        "GetEnabledXStateFeatures", "GetSystemTimePreciseAsFileTime", "CreateFile2", "GetOverlappedResultEx",
        "SetDefaultDllDirectories", "AddDllDirectory", "RemoveDllDirectory", "WaitOnAddress", "WakeByAddressSingle",
        "WakeByAddressAll", "GetCurrentThreadStackLimits", "SetThreadDescription", "GetThreadDescription",
        "VirtualAlloc2", "MapViewOfFile3", "DiscardVirtualMemory", "OfferVirtualMemory", "PrefetchVirtualMemory",
    },
    "user32.dll": {
        "PrintWindow", "GetLayeredWindowAttributes", "RegisterRawInputDevices", "GetRawInputData",
        "GetRawInputDeviceList", "GetRawInputDeviceInfoA", "GetRawInputDeviceInfoW", "DefRawInputProc",
        "SetProcessDPIAware", "IsProcessDPIAware", "ChangeWindowMessageFilter", "ChangeWindowMessageFilterEx",
        "ShutdownBlockReasonCreate", "ShutdownBlockReasonDestroy", "AddClipboardFormatListener",
        "RemoveClipboardFormatListener", "RegisterPowerSettingNotification", "LogicalToPhysicalPoint",
        "PhysicalToLogicalPoint", "CalculatePopupWindowPosition", "RegisterTouchWindow", "GetGestureInfo",
        "GetWindowDisplayAffinity", "SetWindowDisplayAffinity", "SetProcessDpiAwarenessContext",
        "GetDpiForWindow", "GetDpiForSystem", "SystemParametersInfoForDpi", "AdjustWindowRectExForDpi",
        "EnableNonClientDpiScaling", "GetSystemMetricsForDpi", "IsWow64Message",
    },
    "gdi32.dll": {
        "GdiAlphaBlend", "GdiGradientFill", "GdiTransparentBlt", "GetFontRealizationInfo", "D3DKMTOpenAdapterFromHdc",
    },
    "advapi32.dll": {
        "RegGetValueA", "RegGetValueW", "RegDeleteKeyExA", "RegDeleteKeyExW", "RegDeleteTreeA", "RegDeleteTreeW",
        "RegCopyTreeA", "RegCopyTreeW", "RegSetKeyValueA", "RegSetKeyValueW", "RegDeleteKeyValueA",
        "RegDeleteKeyValueW", "RegLoadMUIStringA", "RegLoadMUIStringW", "RegOpenKeyTransactedA",
        "RegOpenKeyTransactedW", "RegCreateKeyTransactedA", "RegCreateKeyTransactedW", "RegDisableReflectionKey",
        "RegEnableReflectionKey", "RegQueryReflectionKey", "RegDisablePredefinedCacheEx", "RegSaveKeyExA",
        "RegSaveKeyExW", "CreateWellKnownSid", "IsWellKnownSid", "EventRegister", "EventUnregister", "EventWrite",
        "EventEnabled", "CreateProcessWithTokenW", "SystemFunction036", "CredReadA", "CredReadW", "CredWriteA",
        "CredWriteW", "CredFree", "TreeSetNamedSecurityInfoA", "TreeSetNamedSecurityInfoW",
    },
    # Windows 2000 carries msvcrt.dll 6.1; these came with the 7.0 of Windows XP or later.
    "msvcrt.dll": {
        "_aligned_malloc", "_aligned_free", "_aligned_realloc", "_aligned_offset_malloc", "_aligned_offset_realloc",
        "_ctime64", "_wctime64", "_fstat64", "_stat64", "_wstat64", "_ftime64", "_futime64", "_utime64",
        "_wutime64", "_gmtime64", "_localtime64", "_mktime64", "_time64", "_findfirst64", "_findnext64",
        "_wfindfirst64", "_wfindnext64", "_strtoi64", "_strtoui64", "_wcstoi64", "_wcstoui64", "_vscprintf",
        "_scprintf", "_vscwprintf", "_scwprintf", "_snscanf", "_snwscanf", "_resetstkoflw", "__iob_func",
        "___lc_codepage_func", "___lc_collate_cp_func", "___lc_handle_func", "___mb_cur_max_func", "__pctype_func",
        "__pwctype_func", "___setlc_active_func", "___unguarded_readlc_active_add_func", "_get_heap_handle",
        "_set_security_error_handler", "__uncaught_exception", "_CRT_RTC_INIT", "_CRT_RTC_INITW",
        # Vista's msvcrt: the checked (_s) functions, 32/64-bit time variants, locale objects and friends
        "_get_errno", "_set_errno", "_get_doserrno", "_set_doserrno", "_set_invalid_parameter_handler",
        "_get_invalid_parameter_handler", "_fseeki64", "_ftelli64", "_get_output_format", "_set_output_format",
        "_create_locale", "_free_locale", "_get_current_locale", "_configthreadlocale", "strnlen", "wcsnlen",
        "_gmtime32", "_localtime32", "_mktime32", "_time32", "_ctime32", "_difftime32", "_difftime64",
        "_fstat32", "_stat32", "_findfirst32", "_findnext32", "_wassert", "_initterm_e", "_set_abort_behavior",
        "_vsnprintf_s", "_vsnwprintf_s", "sprintf_s", "swprintf_s", "_snprintf_s", "_snwprintf_s", "vsprintf_s",
        "vswprintf_s", "strcpy_s", "strncpy_s", "strcat_s", "strncat_s", "wcscpy_s", "wcsncpy_s", "wcscat_s",
        "wcsncat_s", "memcpy_s", "memmove_s", "_itoa_s", "_ltoa_s", "_ultoa_s", "_i64toa_s", "_ui64toa_s",
        "fopen_s", "_wfopen_s", "freopen_s", "strerror_s", "_strerror_s", "_localtime64_s", "_gmtime64_s",
        "_ctime64_s", "qsort_s", "bsearch_s", "strtok_s", "wcstok_s", "mbstowcs_s", "wcstombs_s", "_controlfp_s",
        "rand_s", "_dupenv_s", "getenv_s", "_wdupenv_s", "_wgetenv_s", "_putenv_s", "_wputenv_s", "_strlwr_s",
        "_strupr_s", "tmpfile_s", "tmpnam_s", "asctime_s", "_makepath_s", "_splitpath_s", "sscanf_s", "scanf_s",
        "fscanf_s", "printf_s", "fprintf_s", "vfprintf_s", "vprintf_s", "_lock_file", "_unlock_file",
        "__C_specific_handler", "_local_unwind", "__uncaught_exceptions",
    },
}

def check_header(pe, problems):
    machine = pe.FILE_HEADER.Machine
    if machine != IMAGE_FILE_MACHINE_I386:
        problems.append("machine is 0x%x, not 0x14c (i686)" % machine)
    opt = pe.OPTIONAL_HEADER
    if opt.Magic != 0x10B:
        problems.append("optional header magic 0x%x is not PE32" % opt.Magic)
    if opt.Subsystem != IMAGE_SUBSYSTEM_WINDOWS_GUI:
        problems.append("subsystem is %d, not 2 (Windows GUI)" % opt.Subsystem)
    if (opt.MajorSubsystemVersion, opt.MinorSubsystemVersion) > (5, 0):
        problems.append("subsystem version %d.%d is newer than Windows 2000 (5.0) accepts"
                        % (opt.MajorSubsystemVersion, opt.MinorSubsystemVersion))
    if (opt.MajorOperatingSystemVersion, opt.MinorOperatingSystemVersion) > (5, 0):
        problems.append("operating system version %d.%d is newer than Windows 2000 (5.0)"
                        % (opt.MajorOperatingSystemVersion, opt.MinorOperatingSystemVersion))


def import_tables(pe):
    """(dll name, [function names or '#ordinal'], 'import'/'delay import') for every imported DLL."""
    for attr, kind in (("DIRECTORY_ENTRY_IMPORT", "import"), ("DIRECTORY_ENTRY_DELAY_IMPORT", "delay import")):
        for entry in getattr(pe, attr, []):
            names = []
            for imp in entry.imports:
                names.append(imp.name.decode("ascii", "replace") if imp.name else "#%d" % imp.ordinal)
            yield entry.dll.decode("ascii", "replace"), names, kind


def check_imports(pe, problems, verbose):
    seen = False
    for dll, names, kind in import_tables(pe):
        seen = True
        low = dll.lower()
        if verbose:
            print("%s %s: %s" % (kind, dll, ", ".join(sorted(names))))
        if low not in ALLOWED_DLLS:
            problems.append("%s of %s: not a DLL that Windows always loads from the system directory "
                            "(load it at run time by full path)" % (kind, dll))
            continue
        if kind != "import":
            problems.append("delay import of %s: import it normally" % dll)
        denied = NEWER_THAN_WINDOWS_2000.get(low, set())
        for name in sorted(names):
            if name in denied:
                problems.append("%s!%s is not available on Windows 2000" % (dll, name))
            elif name.startswith("#"):
                problems.append("%s!%s is imported by ordinal, which differs between Windows releases"
                                % (dll, name))
            elif low == "kernel32.dll" and name.startswith("K32"):
                problems.append("%s!%s is not available on Windows 2000" % (dll, name))
    if not seen:
        problems.append("the program has no import table")


def owner_data_entries(pe, data_entries=None):
    """{id: [(language, bytes)]} of the OWNER_DATA resources; data_entries, when given, receives
    {id: [offset of the IMAGE_RESOURCE_DATA_ENTRY that each language entry points at]}."""
    entries = {}
    root = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    if root is None:
        return None
    for rtype in root.entries:
        if rtype.name is None or str(rtype.name) != "OWNER_DATA":
            continue
        for rid in rtype.directory.entries:
            key = rid.id if rid.name is None else str(rid.name)
            for lang in rid.directory.entries:
                data = lang.data.struct
                blob = pe.get_data(data.OffsetToData, data.Size)
                entries.setdefault(key, []).append((lang.id, blob))
                if data_entries is not None:
                    data_entries.setdefault(key, []).append(lang.struct.OffsetToData)
    return entries


def check_resources(pe, store_dir, problems):
    """The OWNER_DATA resources against the store: the manifest's identifiers, each once, as the store has it."""
    expected = sorted(read_rows(store_dir) or {})
    if not expected:
        problems.append("%s/manifest.tsv lists no entries: nothing to check the resources against" % store_dir)
    store = {}
    if os.path.isdir(store_dir):
        for name in os.listdir(store_dir):
            base, ext = os.path.splitext(name)
            if ext == ".bin" and base.isdigit():
                store[int(base)] = os.path.join(store_dir, name)
    if not store:
        problems.append("the store %s holds no <id>.bin entries: the store generator has not written it "
                        "(nothing to compare the OWNER_DATA resources with)" % store_dir)
    missing_in_store = [i for i in expected if i not in store]
    if store and missing_in_store:
        problems.append("the store lacks entries %s" % ", ".join(map(str, missing_in_store)))
    extra_in_store = sorted(set(store) - set(expected))
    if extra_in_store:
        problems.append("the store has unexpected entries %s" % ", ".join(map(str, extra_in_store)))

    entries = owner_data_entries(pe)
    if entries is None:
        problems.append("the program has no resources")
        return
    if not entries:
        problems.append("the program has no OWNER_DATA resources")
    ids = set(entries)
    for i in expected:
        if i not in ids:
            problems.append("OWNER_DATA %d is missing" % i)
    for i in sorted(ids - set(expected), key=str):
        problems.append("OWNER_DATA %s is not a store entry" % i)
    for i in expected:
        if i not in entries:
            continue
        langs = entries[i]
        if [lang for lang, _ in langs] != [LANG_ZH_CN]:
            problems.append("OWNER_DATA %d is stored under language(s) %s, not only %d"
                            % (i, ", ".join(str(lang) for lang, _ in langs), LANG_ZH_CN))
        if i not in store:
            continue
        with open(store[i], "rb") as f:
            want = f.read()
        for lang, blob in langs:
            if blob != want:
                where = next((n for n in range(min(len(blob), len(want))) if blob[n] != want[n]),
                             min(len(blob), len(want)))
                problems.append("OWNER_DATA %d (language %d): %d bytes, %s has %d; first difference at offset %d"
                                % (i, lang, len(blob), store[i], len(want), where))
    count = len(ids & set(expected))
    if count != len(expected):
        problems.append("%d of the %d store entries are embedded" % (count, len(expected)))


def read_rows(store_dir):
    """{id: (row, size, origin, use)} from <store dir>/manifest.tsv, or None when it cannot be read."""
    try:
        with open(os.path.join(store_dir, "manifest.tsv"), encoding="utf-8") as f:
            lines = f.read().split("\n")
    except OSError:
        return None
    rows = {}
    for line in lines:
        cols = line.split("\t")
        if len(cols) == 6 and cols[0].isdigit() and cols[3].isdigit():
            rows[int(cols[0])] = (cols[2], int(cols[3]), cols[4], cols[5])
    return rows


def check_sharing(pe, exe, store_dir, problems):
    """One data entry per catalogue row, and the file within the distinct payload plus the allowance."""
    rows = read_rows(store_dir)
    if not rows:
        problems.append("%s/manifest.tsv lists no entries: nothing to check the sharing against" % store_dir)
        return None
    offsets = {}
    if not owner_data_entries(pe, offsets):
        return None  # reported by check_resources
    by_row = {}
    for ident, (row, _, _, _) in sorted(rows.items()):
        if len(offsets.get(ident, [])) != 1:
            continue  # missing or under several languages: reported by check_resources
        by_row.setdefault(row, set()).add(offsets[ident][0])
    for row, entries in sorted(by_row.items()):
        if len(entries) != 1:
            ids = sorted(i for i, (r, _, _, _) in rows.items() if r == row)
            problems.append("row %s is embedded %d times (identifiers %s): its identifiers must share one data "
                            "entry" % (row, len(entries), ", ".join(map(str, ids))))
    distinct = sum(size for size in {row: size for row, size, _, _ in rows.values()}.values())
    naive = sum(size for _, size, _, _ in rows.values())
    size = os.path.getsize(exe)
    limit = distinct + PROGRAM_ALLOWANCE
    if size > limit:
        problems.append("%s is %d bytes, more than the distinct payload (%d bytes) plus %d bytes (%d)"
                        % (exe, size, distinct, PROGRAM_ALLOWANCE, limit))
    return size, distinct, naive


def check_uninstaller(pe, exe, store_dir, problems):
    rows = read_rows(store_dir) or {}
    entries = [i for i, (_, _, _, use) in rows.items() if use == "uninstaller"]
    if len(entries) != 1:
        problems.append("%s/manifest.tsv has no single uninstaller entry" % store_dir)
        return
    ident = entries[0]
    _, catalogue_size, origin, _ = rows[ident]
    size = os.path.getsize(exe)
    if size != catalogue_size:
        problems.append("%s is %d bytes, not the catalogue size %d of entry %d" % (exe, size, catalogue_size, ident))
    texts = []
    root = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    for rtype in root.entries if root else []:
        if rtype.id != pefile.RESOURCE_TYPE["RT_MANIFEST"]:
            continue
        for rid in rtype.directory.entries:
            for lang in rid.directory.entries:
                texts.append(pe.get_data(lang.data.struct.OffsetToData, lang.data.struct.Size))
    if not any(b'level="requireAdministrator"' in t for t in texts):
        problems.append("%s has no manifest asking for administrator rights" % exe)
    if origin != "vendor":
        with open(exe, "rb") as f:
            own = f.read()
        try:
            with open(os.path.join(store_dir, "%d.bin" % ident), "rb") as f:
                entry = f.read()
        except OSError:
            entry = None
        if entry != own:
            problems.append("store entry %d (origin %s) is not %s" % (ident, origin, exe))


VERSION_STRINGS = ("FileVersion", "ProductVersion", "CompanyName", "ProductName", "FileDescription",
                   "OriginalFilename", "LegalCopyright")


def read_version(exe, problems):
    """({name: text} of the first string table, (file version, product version) as "a.b.c.d") of the
    VERSIONINFO resource, or None when there is none."""
    try:
        pe = pefile.PE(exe)
    except (OSError, pefile.PEFormatError) as e:
        problems.append("%s cannot be read as a PE file: %s" % (exe, e))
        return None
    fixed = getattr(pe, "VS_FIXEDFILEINFO", None)
    strings = {}
    for info in getattr(pe, "FileInfo", None) or []:
        for entry in info if isinstance(info, list) else [info]:
            for table in getattr(entry, "StringTable", []):
                for key, value in table.entries.items():
                    strings.setdefault(key.decode("utf-8", "replace"), value.decode("utf-8", "replace"))
    if not fixed or not strings:
        problems.append("%s has no version resource" % exe)
        return None
    f = fixed[0]

    def text(ms, ls):
        return "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
    return strings, (text(f.FileVersionMS, f.FileVersionLS), text(f.ProductVersionMS, f.ProductVersionLS))


def check_versions(setup, uninstaller, display_version, problems):
    read = {}
    for exe, file_name in ((setup, "setup.exe"), (uninstaller, "uninstall.exe")):
        got = read_version(exe, problems)
        if got is None:
            continue
        strings, (file_version, product_version) = got
        for name in VERSION_STRINGS:
            if not strings.get(name, "").strip():
                problems.append("%s: version string %s is missing or empty" % (exe, name))
        if strings.get("FileVersion") != file_version:
            problems.append("%s: FileVersion %r is not its fixed file version %s" % (exe, strings.get("FileVersion"), file_version))
        if strings.get("ProductVersion") != product_version:
            problems.append("%s: ProductVersion %r is not its fixed product version %s"
                            % (exe, strings.get("ProductVersion"), product_version))
        if strings.get("OriginalFilename", "").lower() != file_name:
            problems.append("%s: OriginalFilename %r is not %s" % (exe, strings.get("OriginalFilename"), file_name))
        read[exe] = strings
    if len(read) == 2:
        a, b = read[setup], read[uninstaller]
        for name in ("FileVersion", "ProductVersion", "CompanyName", "ProductName", "LegalCopyright"):
            if a.get(name) != b.get(name):
                problems.append("%s differs: %r in %s, %r in %s" % (name, a.get(name), setup, b.get(name), uninstaller))
        if display_version is not None and display_version != a.get("ProductVersion"):
            problems.append("DisplayVersion %r is not the programs' ProductVersion %r" % (display_version, a.get("ProductVersion")))
    return read


def versions_main(args):
    if len(args) not in (2, 3):
        print("usage: pe_check.py --versions <setup.exe> <uninstall.exe> [<DisplayVersion>]", file=sys.stderr)
        return 2
    problems = []
    read = check_versions(args[0], args[1], args[2] if len(args) == 3 else None, problems)
    for p in problems:
        print("FAIL: " + p)
    if problems:
        return 1
    strings = read[args[0]]
    print("%s and %s: version %s of %s by %s%s" % (args[0], args[1], strings["ProductVersion"], strings["ProductName"],
                                                   strings["CompanyName"],
                                                   ", the uninstall entry's DisplayVersion" if len(args) == 3 else ""))
    return 0


def main(argv):
    if "--versions" in argv:
        return versions_main([a for a in argv[1:] if a != "--versions"])
    verbose = "-v" in argv
    x86_64 = "--x86_64" in argv
    uninstaller = "--uninstaller" in argv
    args = [a for a in argv[1:] if a not in ("-v", "--x86_64", "--uninstaller")]
    if len(args) != 2:
        print("usage: pe_check.py [-v] [--x86_64] <setup.exe> <store dir>", file=sys.stderr)
        return 2
    exe, store_dir = args
    if not os.path.isfile(exe):
        print("FAIL: %s does not exist" % exe)
        return 1
    try:
        pe = pefile.PE(exe)
    except pefile.PEFormatError as e:
        print("FAIL: %s is not a PE file: %s" % (exe, e))
        return 1
    problems = []
    if x86_64:
        if pe.FILE_HEADER.Machine != IMAGE_FILE_MACHINE_AMD64:
            problems.append("machine is 0x%x, not 0x8664 (x86_64)" % pe.FILE_HEADER.Machine)
    else:
        check_header(pe, problems)
        check_imports(pe, problems, verbose)
    if uninstaller:
        check_uninstaller(pe, exe, store_dir, problems)
    else:
        check_resources(pe, store_dir, problems)
        sizes = check_sharing(pe, exe, store_dir, problems)
    for p in problems:
        print("FAIL: " + p)
    if problems:
        print("%s: %d problem(s)" % (exe, len(problems)))
        return 1
    if uninstaller:
        print("%s: %s, exactly the catalogue size of entry 255, asks for administrator rights, is the store's "
              "entry 255" % (exe, "x86_64 test build" if x86_64 else "i686 GUI program, imports fit Windows 2000"))
        return 0
    what = "x86_64 test build" if x86_64 else "i686 GUI program, imports fit Windows 2000"
    print("%s: %s, %d OWNER_DATA entries match the store, one copy per row; %d bytes (distinct payload %d, "
          "all entries %d)" % ((exe, what, len(read_rows(store_dir))) + sizes))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
