#!/usr/bin/env bash
# Fails when a file under src/ includes a header of a layer its library does not link, or
# when Qt is included outside src/ui and src/app. The edges are read from the layers'
# CMakeLists.txt as the build sees them: a layer may include itself, the layers it links,
# and what those link PUBLIC (transitively). Runs without a build, before one.
set -euo pipefail
cd "$(dirname "$0")/.."
exec python3 - <<'PY'
import pathlib, re, sys

src = pathlib.Path("src")
layers = sorted(p.name for p in src.iterdir() if (p / "CMakeLists.txt").exists())
public, private = {}, {}
for layer in layers:
    text = (src / layer / "CMakeLists.txt").read_text()
    public[layer], private[layer] = set(), set()
    # The folder's own targets: its layer library, or the program (src/app).
    targets = {"mailquarry_" + name for name in re.findall(r"mq_add_layer\(\s*(\w+)", text)}
    targets |= set(re.findall(r"add_(?:executable|library)\(\s*([\w-]+)", text))
    for target, args in re.findall(r"target_link_libraries\(\s*([\w-]+)([^)]*)\)", text):
        if target not in targets:
            continue
        scope = public[layer]
        for word in args.split():
            if word in ("PUBLIC", "INTERFACE"):
                scope = public[layer]
            elif word == "PRIVATE":
                scope = private[layer]
            elif word.startswith("mailquarry_") and word[len("mailquarry_"):] in layers:
                scope.add(word[len("mailquarry_"):])

def exported(layer, seen=None):
    seen = set() if seen is None else seen
    for dep in public[layer] - seen:
        seen.add(dep)
        exported(dep, seen)
    return seen

include = re.compile(r'^\s*#\s*include\s*[<"]([A-Za-z_]+)/', re.M)
qt = re.compile(r'^\s*#\s*include\s*<Q[A-Za-z0-9_]*[>/]', re.M)
faults = []
for layer in layers:
    allowed = {layer}
    for dep in public[layer] | private[layer]:
        allowed |= {dep} | exported(dep)
    for path in sorted((src / layer).rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        text = path.read_text(errors="replace")
        for folder in sorted(set(include.findall(text))):
            if folder in layers and folder not in allowed:
                faults.append(f"{path}: includes {folder}/, a layer src/{layer} does not link")
        if layer not in ("ui", "app") and qt.search(text):
            faults.append(f"{path}: includes Qt outside src/ui and src/app")
for fault in faults:
    print(fault, file=sys.stderr)
sys.exit(1 if faults else 0)
PY
