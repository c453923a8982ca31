#!/usr/bin/python3
"""Prints a dBase table as python3-dbfread reads it, as one line of JSON.

The tests run it to see our tables through an independent reader. The encoding is left
to dbfread, which takes it from the language driver byte (0x57 gives cp1252), so the
output also shows that other readers find the code page without being told.

Output: {"encoding": ..., "fields": [[name, type, length, decimals], ...],
         "records": [{field: value, ...}, ...]}
"""
import json
import sys

from dbfread import DBF


def main():
    table = DBF(sys.argv[1], load=True)
    out = {
        "encoding": table.encoding,
        "fields": [[f.name, f.type, f.length, f.decimal_count] for f in table.fields],
        "records": [dict(record) for record in table.records],
    }
    sys.stdout.buffer.write(json.dumps(out, ensure_ascii=False).encode("utf-8"))


if __name__ == "__main__":
    main()
