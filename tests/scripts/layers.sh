#!/usr/bin/env bash
# The layers of the engine as the sources draw them: the includes between the folders of src/
# form no cycle, and none of them goes against the graph of libraries the build declares (a
# file includes only its own library's headers and those of the libraries it stands on).
set -u
exec python3 "$(dirname "$0")/lib/include_graph.py" "$1" "$2"
