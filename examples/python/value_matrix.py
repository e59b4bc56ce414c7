#!/usr/bin/env python3
"""One parameter across every selection of a tree: a row per group and transducer, a column per
clinical setting ("-": the selection has no such entry; blank: the tree offers no such selection).

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

    tree = quendel.selections(settings=args.settings)
    transducers = [(g["name"], t) for g in tree["groups"] for t in g["transducers"]]
    clinical = sorted(set(tree["clinical"]).union(*(t["clinical"] for _, t in transducers)))
    rows = [["", *clinical]]
    for group, transducer in transducers:
        offered = set(tree["clinical"]) | set(transducer["clinical"])
        row = [f"{group}/{transducer['name']}"]
        with quendel.Selection(group, transducer["name"], settings=args.settings) as selection:
            for setting in clinical:
                if setting not in offered:
                    row.append("")
                    continue
                selection.reselect(group, transducer["name"], setting)
                value = selection.get(args.section, args.key)
                row.append("-" if value is None else value)
        rows.append(row)

    print(f"{args.section} {args.key} ({tree['store']} store: {tree['source']})")
    widths = [max(len(row[i]) for row in rows) for i in range(len(rows[0]))]
    for row in rows:
        print("  ".join(cell.ljust(width) for cell, width in zip(row, widths)).rstrip())


if __name__ == "__main__":
    main()
