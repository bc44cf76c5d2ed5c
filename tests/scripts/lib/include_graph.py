#!/usr/bin/env python3
"""The includes between the folders of src/ against the build's graph of libraries.

Reads the graph the build writes (layers/graph.txt: each library or program of the engine, the
libraries it links, its sources, its folders; layers/other_platforms.txt: the folders of the platforms this
build is not for, which it leaves alone), finds every #include "..." of every file under src/, and fails
when the libraries link in a cycle, when the folders include one another in a cycle, when a file
includes a header of a library that its own does not link (directly or through the libraries
beneath it), or when an include climbs out of its folder with "..". Prints the folders' graph.

    include_graph.py BUILD_DIR SOURCE_DIR
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def read_graph(path):
    links, sources, folders = {}, {}, {}
    with open(path) as graph:
        for line in graph:
            name, linked, files, own = (line.rstrip("\n").split("\t") + ["", "", ""])[:4]
            links[name] = linked.split()
            sources[name] = files.split()
            folders[name] = own.split()
    return links, sources, folders


def cycle(graph):
    """A cycle of the directed graph as a list of its nodes, or None."""
    state, path = {}, []

    def visit(node):
        state[node] = "open"
        path.append(node)
        for next_node in sorted(graph.get(node, ())):
            if state.get(next_node) == "open":
                return path[path.index(next_node):] + [next_node]
            if next_node not in state:
                found = visit(next_node)
                if found:
                    return found
        state[node] = "done"
        path.pop()
        return None

    for node in sorted(graph):
        if node not in state:
            found = visit(node)
            if found:
                return found
    return None


def beneath(links, name):
    """Every library that `name` links, directly or through the libraries it links."""
    seen, todo = set(), list(links.get(name, ()))
    while todo:
        library = todo.pop()
        if library not in seen:
            seen.add(library)
            todo.extend(links.get(library, ()))
    return seen


def main(build, source):
    links, sources, own_folders = read_graph(os.path.join(build, "layers", "graph.txt"))
    problems = []
    loop = cycle(links)
    if loop:
        problems.append("the libraries link in a cycle: " + " -> ".join(loop))

    src = os.path.join(source, "src")
    others = os.path.join(build, "layers", "other_platforms.txt")
    unbuilt = set(open(others).read().split()) if os.path.exists(others) else set()
    # Whose each file is: a source the build names is its target's; a header is its source's of
    # the same name (a platform's folder serves several libraries), else the library's whose
    # sources share its folder.
    owner_of_file, owner_of_folder = {}, {}
    for name, folder_list in own_folders.items():
        for folder in folder_list:
            owner_of_folder[folder] = name
    for name, files in sources.items():
        for f in files:
            owner_of_file[f] = name
            folder = os.path.dirname(f)
            if name.startswith("velmora_"):
                owner_of_folder.setdefault(folder, name)
    folders, includes = {}, 0
    for root, _, names in os.walk(src):
        for file_name in sorted(names):
            if not file_name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(root, file_name)
            relative = os.path.relpath(path, source)
            folder = os.path.dirname(relative)
            if folder in unbuilt:
                continue
            sibling = os.path.splitext(relative)[0] + ".cpp"
            owner = owner_of_file.get(relative) or owner_of_file.get(sibling) or owner_of_folder.get(folder)
            if not owner:
                problems.append(f"{relative}: its folder belongs to no library of the build")
                continue
            with open(path, encoding="utf-8") as text:
                for number, line in enumerate(text, 1):
                    match = INCLUDE.match(line)
                    if not match:
                        continue
                    target = match.group(1)
                    where = f"{relative}:{number}"
                    if ".." in target.split("/"):
                        problems.append(f"{where}: includes {target} by a path out of its folder")
                        continue
                    if os.path.isfile(os.path.join(src, target)):
                        target_folder = os.path.join("src", os.path.dirname(target))
                    elif os.path.isfile(os.path.join(root, target)):
                        target_folder = folder
                    else:
                        continue  # not one of ours
                    includes += 1
                    if target_folder == folder:
                        continue
                    folders.setdefault(folder, set()).add(target_folder)
                    target_owner = owner_of_folder.get(target_folder)
                    if target_owner != owner and target_owner not in beneath(links, owner):
                        problems.append(f"{where}: includes {target}, but {owner} does not stand on "
                                        f"{target_owner}")
    loop = cycle(folders)
    if loop:
        problems.append("the folders include one another in a cycle: " + " -> ".join(loop))

    for folder in sorted(folders):
        print(f"{folder[4:]} -> {', '.join(f[4:] for f in sorted(folders[folder]))}")
    if problems:
        for problem in problems:
            print("FAIL: " + problem)
        return 1
    print(f"{includes} includes of our own headers; between {len(folders)} folders no cycle, "
          f"and none against the libraries' graph")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
