#!/usr/bin/env python3
"""Checks that the folders of src/ depend on each other in one direction only.

The order is the README's table of layers (its rows "| rank | `src/<folder>/` | holds | uses |",
bottom first): a folder may include and link only folders of a lower rank, never one above it or
beside it. Each folder's library (`vellum_layer(<folder> ... DEPENDS ...)` in its CMakeLists.txt)
must link exactly the folders its files include, and the README's "uses" column must name them.
Prints every fault and exits 1 when there is one.

usage: check_layers.py [REPO]
"""
import pathlib
import re
import sys

ROW = re.compile(r"^\|\s*(\d+)\s*\|\s*`src/(\w+)/`\s*\|[^|]*\|\s*([^|]*?)\s*\|\s*$")
INCLUDE = re.compile(r'^\s*#\s*include\s+"(\w+)/[^"]+"', re.MULTILINE)
LAYER_CALL = re.compile(r"vellum_layer\(\s*(\w+)(.*?)\)", re.DOTALL)


def read_table(readme):
    """{folder: (rank, [folders it uses])} from the README's table of layers."""
    layers = {}
    for line in readme.read_text(encoding="utf-8").splitlines():
        match = ROW.match(line)
        if match:
            rank, folder, uses = match.groups()
            names = [] if uses in ("", "—", "-") else re.findall(r"`?(\w+)`?", uses)
            layers[folder] = (int(rank), names)
    return layers


def read_links(cmake_file):
    """The layer's own name and the layers it links, from its vellum_layer() call."""
    match = LAYER_CALL.search(cmake_file.read_text(encoding="utf-8"))
    if not match:
        return None, []
    name, body = match.groups()
    words = re.sub(r"#.*", "", body).split()
    depends = words[words.index("DEPENDS") + 1:] if "DEPENDS" in words else []
    return name, depends


def included_folders(folder):
    """{included folder: first file that includes it} over the folder's sources."""
    seen = {}
    for source in sorted(folder.iterdir()):
        if source.suffix not in (".h", ".cpp"):
            continue
        for included in INCLUDE.findall(source.read_text(encoding="utf-8")):
            if included != folder.name:
                seen.setdefault(included, source.name)
    return seen


def check(repo):
    faults = []
    layers = read_table(repo / "README.md")
    if not layers:
        return ["README.md has no table of layers"]
    for folder in sorted(p for p in (repo / "src").iterdir() if p.is_dir()):
        name = folder.name
        if name not in layers:
            faults.append(f"src/{name}/ is not in the README's table of layers")
            continue
        rank, uses = layers[name]
        target, depends = read_links(folder / "CMakeLists.txt") \
            if (folder / "CMakeLists.txt").exists() else (None, [])
        if target != name:
            faults.append(f"src/{name}/CMakeLists.txt does not declare vellum_layer({name} ...)")
        for other in depends:
            if other not in layers:
                faults.append(f"src/{name} links {other}, which is no layer")
            elif layers[other][0] >= rank:
                faults.append(f"src/{name} (rank {rank}) links {other} "
                              f"(rank {layers[other][0]}): up or across the order")
        for other, source in sorted(included_folders(folder).items()):
            if other not in layers:
                faults.append(f"src/{name}/{source} includes {other}/, which is no layer")
            elif layers[other][0] >= rank:
                faults.append(f"src/{name}/{source} includes {other}/ "
                              f"(rank {layers[other][0]} against {rank}): up or across the order")
            elif other not in depends:
                faults.append(f"src/{name}/{source} includes {other}/, "
                              f"which vellum_{name} does not link")
        unused = set(depends) - set(included_folders(folder))
        if unused:
            faults.append(f"vellum_{name} links {', '.join(sorted(unused))} without including it")
        if sorted(uses) != sorted(depends):
            faults.append(f"the README says src/{name} uses {', '.join(uses) or 'nothing'}, "
                          f"its CMakeLists.txt links {', '.join(depends) or 'nothing'}")
    for name in layers:
        if not (repo / "src" / name).is_dir():
            faults.append(f"the README's table of layers names src/{name}/, which is not there")
    return faults


def main():
    repo = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parents[2])
    faults = check(repo.resolve())
    for fault in faults:
        print(fault)
    if faults:
        return 1
    print("layers: every include and link points down the order")
    return 0


if __name__ == "__main__":
    sys.exit(main())
