#!/usr/bin/env python3
"""What one more instance costs a warm enumeration, against what it costs WMI's own spawning
and putting (the floor): the difference between two platforms' median requests, divided by
the instances the larger platform adds. The fixed part of a request (the COM round trip, the
call context, the sink) drops out of the difference.

    bench/warm_per_instance.py SMALL.json LARGE.json

SMALL and LARGE are dll_enum_bench outputs (JSON) of two platform descriptions."""
import json
import sys


def medians(path):
    """(class, kind) -> (median milliseconds, objects) from one dll_enum_bench output."""
    with open(path) as f:
        runs = json.load(f)["benchmarks"]
    found = {}
    for run in runs:
        if (run.get("run_type") != "iteration" or "median_ms" not in run
                or not run["run_name"].startswith("DllEnumerate/")):
            continue
        _, class_name, _, kind = run["run_name"].split("/")[:4]
        found[(class_name, kind)] = (run["median_ms"], run["objects"])
    return found


def main(small_path, large_path):
    small, large = medians(small_path), medians(large_path)
    print("class          added  warm us/instance  floor us/instance  provider/floor")
    for class_name in ("Sensor", "NumericSensor"):
        keys = [(class_name, "warm"), (class_name, "floor")]
        if not all(k in small and k in large for k in keys):
            print(f"{class_name:14} not measured in both runs")
            continue
        added = large[keys[0]][1] - small[keys[0]][1]
        if added <= 0:
            print(f"{class_name:14} the second platform adds no instance")
            continue
        warm, floor = ((large[k][0] - small[k][0]) * 1e3 / added for k in keys)
        ratio = f"{warm / floor:14.2f}" if floor > 0 else "             -"
        print(f"{class_name:14} {added:5.0f} {warm:17.1f} {floor:18.1f} {ratio}")


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
