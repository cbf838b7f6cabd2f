#!/usr/bin/env python3
"""Writes the seed corpora in fuzz/corpus/ from the replies, reports and arguments the tests use.

Chunked targets (decode_report, alignment_report, reader_commands) read their first byte as the
piece size the line delivers (0: all at once)."""
import pathlib
import shutil

WORDS = [0x474A, 0x2201, 0x0242, 0x0213, 0x4040, 0x440D, 0x440D, 0x441D, 0x0019, 0x6805,
         0x2805, 0x6525, 0x09E4, 0x0409, 0x0C58, 0x0408, 0x0046, 0x2070, 0x0000, 0x1109,
         0x0003, 0x1313, 0x1103, 0x1318, 0x033F, 0x7000, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF,
         0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0xFFD7]


def z3_reply(firmware=b" KWMR5817"):
    out = b"\r\nKSR-6500 Setup Report\r\nInterface: RS-232C 9600\r\nVer. 5" + firmware + b"\r\n"
    out += b"XSW 0: "
    for k, word in enumerate(WORDS):
        if k and k % 10 == 0:
            out += b"\r\n " + str(k).encode() + b": "
        out += b"%04X " % word
    return out + b"\r\nOK\r\n"


def esc(*codes):
    return b"".join(b"\x1b" + code.encode() + b"\r" for code in codes)


IDENTIFY = ["S8", "B2", "M4", "Q1", "M5", "1A", "Q2", "M6", "1A", "Q3", "M7", "1A", "Q3", "M9",
            "1A", "Q4", "N1", "1A", "Q5", "M0", "1A", "Q5", "N2", "1A", "Q5", "M1", "1A", "Q5",
            "N3", "1A", "Q6", "M2", "1A", "Q6", "N4", "1A", "Q6", "M3", "1A", "Q6", "S7", "1Y"]
REPORT = b"01F4 03E8 3C8C 03E8 03E8 03E8 342E 03E8 1AF6 "

SEEDS = {
    "verification_reply": {
        "simulator": z3_reply(),
        "lower_case": z3_reply().replace(b"FFD7", b"ffd7"),
        "cut_block": z3_reply()[:-20],
        "short_identifier": b"Ver.05 KW",
        "no_identifier": b"Ver.05",
        "marker_only": b"xxVer.05 KWMR5817\rXSW",
        "non_hex": z3_reply().replace(b"0213", b"1G2 "),
    },
    "identification_reply": {
        "codabar": b"\x022A1234B",
        "code128": b"\x024x",
        "upc": b"\x025036000291452",
        "digit8": b"\x028",
        "digit0": b"\x020Q",
        "no_stx": b"1ABC",
        "one_letter": b"A",
    },
    "decode_report": {
        "example": b"\x00Ok:75% 0123456789\r",
        "pieces": b"\x05Ok:42.5% ABC\r",
        "two_reports": b"\x00Ok:25% 111\rOk:90% 222\r",
        "no_percentage": b"\x00Ok:% 12\r",
        "blanks": b"\x00Ok: 7 5 %_4711\r",
        "huge": b"\x00Ok:-" + b"9" * 400 + b"% x\r",
        "upper_ok": b"\x00OK:75% 12\r",
    },
    "alignment_report": {
        "report": b"\x00\x01" + REPORT + b"\x02",
        "pieces": b"\x04xx\x01" + REPORT + b"\x02tail\x01",
        "empty": b"\x00\x01\x02",
        "one_character": b"\x01\x01" + b"0\x02",
        "body_only": b"\x00" + REPORT[:-1] + b"\r",
    },
    "hex_to_long": {
        "word": b"474A",
        "lower": b"ffd7",
        "stops": b"1G2 ",
        "wraps": b"FFFFFFFFF1",
    },
    "port_argument": {
        "assignment": b"COM2=/dev/ttyUSB0",
        "full": b"--port\0COM2=/dev/ttyUSB0\0--port=COM5=/tmp/reader\0--report\0/tmp/r.txt\0"
                b"--simulate\0--list-ports",
        "out_of_range": b"--port\0COM17=/dev/x",
        "help": b"--help",
        "version": b"--version",
        "empty_report": b"--report\0",
        "stray": b"COM1",
        "verify": b"verify\0COM1\0/dev/ttyUSB0\0all\0--json\0--report-dir\0/tmp/r\0--trace\0-",
        "symbologies": b"symbologies\0COM2\0--enable\0UPC, EAN,il2of5\0--disable=IATA",
        "align": b"align\0COM1\0--reports\0003\0--side-look",
        "qt_options": b"-style\0fusion\0-reverse\0-platform=offscreen\0--help-all",
    },
    "telnet_decoder": {
        # What ser2net says on connecting, then the answers to the line settings.
        "ser2net_greeting": b"\x00" + bytes([255, 251, 3, 255, 253, 3, 255, 251, 1, 255, 254, 1,
                                              255, 253, 0, 255, 251, 0, 255, 253, 44,
                                              255, 250, 44, 107, 0, 255, 240]),
        "settings_answers": b"\x03" + bytes([255, 250, 44, 101, 0, 0, 0x25, 0x80, 255, 240,
                                              255, 250, 44, 102, 8, 255, 240,
                                              255, 250, 44, 105, 1, 255, 240]),
        "data_with_255": b"\x01" + z3_reply()[:40] + bytes([255, 255]) + b"OK\r\n",
        "cut_subnegotiation": b"\x00" + bytes([255, 250, 44, 1, 255, 253, 0]) + b"data",
        "address": b"\x00rfc2217://[::1]:4001?timeout=1.5",
        # A server repeating requests, turning COM-PORT-OPTION off and on, then answering
        # SET-CONTROL with a value no request has and SET-BAUDRATE at too great a length.
        "request_flood": b"\x05" + bytes([255, 251, 5, 255, 253, 5] * 8
                                           + [255, 254, 44, 255, 253, 44] * 4
                                           + [255, 250, 44, 105, 200, 255, 240]
                                           + [255, 250, 44, 101] + [1] * 100 + [255, 240]),
    },
    "settings_baseline": {
        "report": b"".join(b"%X\r\n" % word for word in WORDS),
        "lf": b"".join(b"%x\n" % word for word in WORDS),
        "cut": b"".join(b"%X\r\n" % word for word in WORDS[:20]),
        "not_hex": b"474A\r\n22G1\r\n",
    },
    "reader_commands": {
        "verify": b"\x00" + esc("Z3"),
        "operations": b"\x01" + esc("Z3", "ST", "Z2", "DZ", "P6", "+5", "W2", "U8"),
        "identify": b"\x00" + esc(*IDENTIFY),
        "symbols": b"\x03" + esc("B0", "R1", "R8", "A4", "J7", "Z3"),
        "cut_frames": b"\x00\x1bZ\x1bZ3\rxx\x1b\x01Z3\r" + esc("Z3"),
    },
}

corpus = pathlib.Path(__file__).resolve().parent / "corpus"
shutil.rmtree(corpus, ignore_errors=True)
for target, seeds in SEEDS.items():
    (corpus / target).mkdir(parents=True)
    for name, data in seeds.items():
        (corpus / target / name).write_bytes(data)
