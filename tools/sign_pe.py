#!/usr/bin/env python3
"""Post-link step of a signing build: an Authenticode signature (SHA-256) on a program, with osslsigncode.

    sign_pe.py [--size <bytes>] <key options> [--timestamp <url>] <program>

    key options: --pfx <file.pfx> --password-file <file>      a PKCS#12 file and its password
                 --cert <cert.pem> --key <key.pem> [--password-file <file>]
                                                              a certificate (chain) and its key in PEM

The signature goes last: after the linker, after the store sharing step, so that nothing changes the
signed bytes. A program that already carries a signature is refused (signing twice would nest a second
signature or replace the first, and neither is what the build means).

--size: the program is to come out at exactly that many bytes, signature included (the uninstaller, whose size
the store's catalogue fixes). It is then the program as linked (or padded before: it is padded again from its
linked size): it is padded to the size less the signature's length and then signed. The length is learnt from a first signature of the program padded to the
whole size (the same key and time-stamp server give a signature of the same length); a time-stamp reply of
another length is met by padding and signing again, at most twice more.

--timestamp: an RFC 3161 time-stamp server; the signature then stays valid after the certificate expires.
Without it the signature is valid while the certificate is.

Everything is written to a temporary file and checked (the signature is there and osslsigncode reads it
back; the size when one was asked for) before it replaces the program; on any failure the program is removed,
so that an unsigned or half-signed program never passes for the build's output.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile

import pefile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pad_pe  # noqa: E402

SECURITY = pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_SECURITY"]


class SignError(Exception):
    pass


def signature_size(path):
    """The bytes of the program's certificate table (0: not signed)."""
    pe = pefile.PE(path, fast_load=True)
    try:
        entry = pe.OPTIONAL_HEADER.DATA_DIRECTORY[SECURITY]
        return entry.Size if entry.VirtualAddress else 0
    finally:
        pe.close()


def osslsigncode_sign(args, source, target):
    cmd = ["osslsigncode", "sign", "-h", "sha256"]
    if args.pfx:
        cmd += ["-pkcs12", args.pfx]
    else:
        cmd += ["-certs", args.cert, "-key", args.key]
    if args.password_file:
        cmd += ["-readpass", args.password_file]
    if args.timestamp:
        cmd += ["-ts", args.timestamp]
    cmd += ["-in", source, "-out", target]
    if os.path.exists(target):
        os.remove(target)
    run = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=300)
    if run.returncode != 0:
        raise SignError("osslsigncode sign failed:\n" + run.stdout.decode("utf-8", "replace").strip())
    if not signature_size(target):
        raise SignError("osslsigncode wrote no signature into %s" % target)


def check_readable(path):
    """osslsigncode extracts the signature it wrote (the chain is not judged here: a vendor's root is the
    signing machine's business, and a test certificate has none)."""
    out = path + ".p7"
    run = subprocess.run(["osslsigncode", "extract-signature", "-in", path, "-out", out],
                         stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=120)
    if os.path.exists(out):
        os.remove(out)
    if run.returncode != 0:
        raise SignError("the signature of %s does not read back:\n%s"
                        % (path, run.stdout.decode("utf-8", "replace").strip()))


def sign_to_size(args, program, work):
    """Pads a copy of the linked program so that, signed, it is exactly args.size bytes; returns the signed copy."""
    trial, padded, signed = (os.path.join(work, n) for n in ("trial.exe", "padded.exe", "signed.exe"))
    with open(program, "rb") as f:
        linked = len(pad_pe.unpadded(f.read()))
    shutil.copyfile(program, trial)
    pad_pe.pad(trial, args.size)
    osslsigncode_sign(args, trial, signed)
    length = os.path.getsize(signed) - args.size
    for _ in range(3):
        if args.size - length < linked:
            raise SignError("%s is %d bytes as linked; with its %d-byte signature it does not fit in %d"
                            % (program, linked, length, args.size))
        shutil.copyfile(program, padded)
        pad_pe.pad(padded, args.size - length)
        osslsigncode_sign(args, padded, signed)
        if os.path.getsize(signed) == args.size:
            return signed
        length = os.path.getsize(signed) - (args.size - length)
    raise SignError("the signed %s does not come out at %d bytes (the signature's length keeps changing)"
                    % (program, args.size))


def main(argv):
    ap = argparse.ArgumentParser(description="Signs a program (Authenticode, SHA-256) with osslsigncode.")
    ap.add_argument("--size", type=int, help="the signed program's exact size (padded to it)")
    ap.add_argument("--pfx", help="PKCS#12 file with the certificate and its key")
    ap.add_argument("--cert", help="certificate (and chain) in PEM")
    ap.add_argument("--key", help="private key in PEM")
    ap.add_argument("--password-file", help="file whose first line is the password of the PFX file or the key")
    ap.add_argument("--timestamp", help="RFC 3161 time-stamp server URL")
    ap.add_argument("program")
    args = ap.parse_args(argv[1:])
    if bool(args.pfx) == bool(args.cert or args.key) or (args.cert and not args.key) or (args.key and not args.cert):
        ap.error("give either --pfx (with --password-file) or --cert and --key")
    if args.pfx and not args.password_file:
        ap.error("--pfx needs --password-file")
    program = args.program
    try:
        for f in (args.pfx, args.cert, args.key, args.password_file):
            if f and not os.path.isfile(f):
                raise SignError("%s does not exist" % f)
        if signature_size(program):
            raise SignError("%s is signed already" % program)
        work = tempfile.mkdtemp(prefix="sign_pe.", dir=os.path.dirname(os.path.abspath(program)))
        try:
            if args.size:
                signed = sign_to_size(args, program, work)
            else:
                signed = os.path.join(work, "signed.exe")
                osslsigncode_sign(args, program, signed)
            check_readable(signed)
            os.chmod(signed, os.stat(program).st_mode)
            os.replace(signed, program)
        finally:
            shutil.rmtree(work, ignore_errors=True)
    except (SignError, SystemExit, pefile.PEFormatError, OSError, subprocess.TimeoutExpired) as e:
        for line in str(e).split("\n"):
            print("sign_pe: %s: %s" % (program, line), file=sys.stderr)
        if os.path.exists(program) and not (isinstance(e, SignError) and str(e).endswith("is signed already")):
            os.remove(program)
        return 1
    print("sign_pe: signed %s (%d bytes)" % (program, os.path.getsize(program)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
