#!/usr/bin/env python3
"""One parameter across every selection of a tree, as `quendel matrix` shows it: a row per group
and transducer, a column per clinical setting, each cell the value with the layer that wins
("-": the selection has no such entry).

After the build, from any directory:
    PYTHONPATH=build/python python3 examples/python/value_matrix.py [SECTION KEY] [--settings FILE]
The settings file defaults to examples/host.ini, whose paths are relative to itself.
"""
import argparse
import os

import quendel


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("section", nargs="?", default="DynamicControl")
    parser.add_argument("key", nargs="?", default="DycDesiredPivotValue")
    host = os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "host.ini")
    parser.add_argument("--settings", default=os.path.relpath(host),
                        help="host settings file (default: examples/host.ini)")
    args = parser.parse_args()

    matrix = quendel.matrix(args.section, args.key, settings=args.settings)
    rows = [["", *matrix["clinical"]]]
    for row in matrix["rows"]:
        cells = [f"{c['value']} [{c['layer']}]" if c["found"] else "-" for c in row["cells"]]
        rows.append([f"{row['group']}/{row['transducer']}", *cells])

    print(f"{args.section} {args.key} ({matrix['store']} store: {matrix['source']})")
    widths = [max(len(row[i]) for row in rows) for i in range(len(rows[0]))]
    for row in rows:
        print("  ".join(cell.ljust(width) for cell, width in zip(row, widths)).rstrip())


if __name__ == "__main__":
    main()
