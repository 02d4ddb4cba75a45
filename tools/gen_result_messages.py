#!/usr/bin/env python3
"""Prints the byte arrays of the Chinese result messages for install/InstallCommandText.cpp.

The texts are kept here as UTF-8 and encoded to the code pages the message box shows them in (GBK on a
simplified Chinese system, Big5 otherwise). Big5 trail bytes can be 0x5C, so the bytes are never written
as string literals.
"""

MESSAGES = [
    ("kGbkSuccess", "gbk", "打印机驱动程序安装成功!"),
    ("kGbkFailure", "gbk", "打印机驱动程序安装失败!"),
    ("kBig5Success", "big5", "打印機驅動程序安裝成功!"),
    ("kBig5Failure", "big5", "打印機驅動程序安裝失敗!"),
]

for name, codec, text in MESSAGES:
    data = text.encode(codec)
    print(f"// {text} ({codec.upper()})")
    print(f"const unsigned char {name}[] = {{{', '.join('0x%02X' % b for b in data)}}};")
