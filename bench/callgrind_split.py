"""Splits callgrind's count of a bench case into the host's lookups, DirectInput and the library.

Reads each callgrind output: the calls from the bench program into the library are the exports
(their inclusive count is the total); the library's calls back into the program are the host's
lookup function. The library's own instructions are those it executes itself, wherever it is
called from (DirectInput calls back into it while enumerating), together with the C library
functions it calls. What is left is DirectInput, the simulated one. Prints one row per output,
per call.
"""
import os
import re
import sys

LIBRARY = "libtamrilo.so"
DIRECTINPUT = "libtamrilo_sim.so"
PROGRAM = "tamrilo_bench"

NAMED = re.compile(r"\((\d+)\)(?:\s+(.*))?$")


def costs(path):
    """Yields (object, None, instructions) for the instructions a function executes itself and
    (caller object, callee object, inclusive instructions) for every call."""
    tables = {"ob": {}, "fn": {}, "fl": {}}
    table_of = {"ob": "ob", "cob": "ob", "fn": "fn", "cfn": "fn", "fl": "fl", "fi": "fl", "fe": "fl",
                "cfi": "fl", "cfl": "fl"}

    def resolve(key, value):
        match = NAMED.match(value)
        if not match:
            return value
        number, name = match.groups()
        table = tables[table_of[key]]
        if name is not None:
            table[number] = name
        return table[number]

    ob = callee_ob = None
    in_call = False
    with open(path) as f:
        for line in f:
            line = line.rstrip("\n")
            key, eq, value = line.partition("=")
            if eq and key in table_of:
                name = resolve(key, value)
                if key == "ob":
                    ob = name
                elif key == "cob":
                    callee_ob = name
                continue
            if key == "calls" and eq:
                in_call = True
                continue
            if line and (line[0].isdigit() or line[0] in "+-*"):
                fields = line.split()
                cost = int(fields[1]) if len(fields) > 1 else 0
                if in_call:
                    yield ob, callee_ob or ob, cost
                    in_call = False
                    callee_ob = None
                else:
                    yield ob, None, cost


def base(path):
    return os.path.basename(path) if path else ""


def main():
    calls = int(sys.argv[1])
    print(f"{'export':<22} {'total':>8} {'host lookup':>12} {'DirectInput':>12} {'own':>6} {'own share':>10}")
    for path in sys.argv[2:]:
        total = host = own = 0
        for caller, callee, cost in costs(path):
            caller, callee = base(caller), base(callee) if callee else None
            if caller == PROGRAM and callee == LIBRARY:
                total += cost
            elif caller == LIBRARY and callee is None:
                own += cost
            elif caller == LIBRARY and callee == PROGRAM:
                host += cost
            elif caller == LIBRARY and callee not in (LIBRARY, DIRECTINPUT):
                own += cost
        directinput = total - host - own
        name = os.path.basename(path).removesuffix(".out")
        share = 100.0 * own / total if total else 0.0
        print(f"{name:<22} {total / calls:>8.0f} {host / calls:>12.0f} {directinput / calls:>12.0f} "
              f"{own / calls:>6.0f} {share:>9.1f}%")


if __name__ == "__main__":
    main()
