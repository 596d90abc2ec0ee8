#!/usr/bin/env python3
"""Writes the binary seeds of corpus/settings/. The XML seeds are written by hand; these come from Python's
own encoder, so the reader also meets binary files that libplist did not write."""
import datetime
import math
import pathlib
import plistlib

ACTIONS = {
    "SYS-Facebook": "Library", "SYS-Mail": "Camera", "SYS-Message": "Launch", "SYS-Photo": "Scan",
    "SYS-SinaWeibo": "Post", "SYS-TencentWeibo": "Camera", "SYS-Twitter": "Library", "APP-Calendar": "Launch",
    "APP-Evernote": "Reminder", "APP-Facebook": "AppStore", "APP-FacebookMessenger": "Launch",
    "APP-FMF": "Location", "APP-Instagram": "Camera", "APP-LINE": "AppStore", "APP-Notes": "Photo",
    "APP-QQ": "Launch", "APP-SinaWeibo": "AppStore", "APP-Skype": "Call", "APP-Snapchat": "Chat",
    "APP-TencentWeibo": "Launch", "APP-Twitter": "Message", "APP-WeChat": "Sight", "APP-WhatsApp": "Launch",
}

SEEDS = {
    "every-key.bplist": {
        "ICON_SIZE": 50, "ICON_STYLE": 1, "ROUNDED_ICON": True, "VIEW_HEIGHT": 26.0,
        "APP_STORE_ENABLED": False, "CC_DISMISS": True, "SHOW_SEPARATORS": False, "BUTTON_ALPHA": 1.0,
        "BACKGROUND_RED": 0.1, "BACKGROUND_GREEN": 0.2, "BACKGROUND_BLUE": 0.3, "BACKGROUND_ALPHA": 0.4,
        "SEPARATOR_RED": 0.5, "SEPARATOR_GREEN": 0.6, "SEPARATOR_BLUE": 0.7, "SEPARATOR_ALPHA": 0.0,
        "LANDSCAPE_ENABLED": True,
        "FUNCTION_1": "SYS-Twitter", "FUNCTION_2": "APP-Skype", "FUNCTION_3": "DISABLED",
        "FUNCTION_4": "APP-FMF", "FUNCTION_5": "SYS-Message", "FUNCTION_6": "APP-WhatsApp",
        **{"DEFAULT_ACTION_" + function: action for function, action in ACTIONS.items()},
    },
    "wrong-types.bplist": {
        "ICON_SIZE": "forty", "ICON_STYLE": -1, "VIEW_HEIGHT": math.inf, "BUTTON_ALPHA": math.nan,
        "BACKGROUND_RED": 2**64 - 1, "SEPARATOR_BLUE": -2**63, "ROUNDED_ICON": "maybe",
        "FUNCTION_1": 7, "FUNCTION_2": "APP-Notes\u00e9", "FUNCTION_3": "",
        "DEFAULT_ACTION_SYS-Photo": "Post", "DEFAULT_ACTION_APP-QQ": b"Chat",
    },
    "nested.bplist": {
        "FUNCTION_1": ["DISABLED"], "ICON_SIZE": {"ICON_SIZE": 20},
        "VIEW_HEIGHT": datetime.datetime(2014, 1, 1), "SHOW_SEPARATORS": [[[]]],
        "DEFAULT_ACTION_APP-LINE": {"Chat": "Launch"},
    },
    "functions-and-disable.bplist": {
        "FUNCTION_1": "DISABLED", "FUNCTION_2": "DISABLED", "FUNCTION_3": "APP-Instagram",
        "FUNCTION_4": "APP-Instagram", "FUNCTION_5": "SYS-Facebook", "FUNCTION_6": "DISABLED",
    },
}


def binary_plist(objects, size):
    """The objects in order, object 0 on top; offsets and references take `size` bytes."""
    body = bytearray(b"bplist00")
    offsets = []
    for item in objects:
        offsets.append(len(body))
        body += item
    table = len(body)
    body += b"".join(offset.to_bytes(size, "big") for offset in offsets)
    body += bytes(6) + bytes([size, size]) + len(objects).to_bytes(8, "big") + bytes(8) + table.to_bytes(8, "big")
    return bytes(body)


def utf16_nul_key():
    """{U+0000: true} with the key as one UTF-16 unit, which Python's encoder would write as ASCII. libplist 2.2
    aborts on it (an assertion in plist_get_key_val), so it stays here as a regression seed."""
    return binary_plist([bytes([0xD1, 0x01, 0x02]), bytes([0x61, 0x00, 0x00]), bytes([0x09])], 1)


def deeply_nested(levels):
    """{"A": [[[...1...]]]} nested `levels` deep. libplist's parser recurses once per level and slows down with
    the square of the depth: 100,000 levels overflowed the stack before the reader bounded the depth."""
    objects = [b"\xd1" + (1).to_bytes(4, "big") + (2).to_bytes(4, "big"), b"\x51A"]
    objects += [b"\xa1" + (3 + level).to_bytes(4, "big") for level in range(levels)]
    objects.append(b"\x10\x01")
    return binary_plist(objects, 4)


def main():
    folder = pathlib.Path(__file__).resolve().parent / "corpus" / "settings"
    folder.mkdir(parents=True, exist_ok=True)
    for name, content in SEEDS.items():
        (folder / name).write_bytes(plistlib.dumps(content, fmt=plistlib.FMT_BINARY, sort_keys=False))
    (folder / "utf16-nul-key.bplist").write_bytes(utf16_nul_key())
    (folder / "nested-100000.bplist").write_bytes(deeply_nested(100000))
    (folder / "nested-64.bplist").write_bytes(deeply_nested(64))


if __name__ == "__main__":
    main()
