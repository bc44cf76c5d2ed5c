# Run when the show is installed: writes share/applications/velmora.desktop from the entry in
# VELMORA_DESKTOP_SOURCE, with the program named by its absolute path under the prefix being
# installed to. The prefix is known only now (`cmake --install --prefix`), and a desktop session
# looks for a plain command name on its own PATH, which holds neither ~/.local/games nor
# /usr/local/games on every system.

set(program "${CMAKE_INSTALL_PREFIX}/games/velmora")
if(program MATCHES "[\n\r\t]")
  message(FATAL_ERROR "a desktop entry cannot name a program whose path holds a line break or a tab: ${program}")
endif()

# Exec is a command line: a path of plain characters stands as it is; any other is one quoted
# argument in which " ` $ and \ take a backslash, and % (a field code) is doubled. Both keys are
# strings, whose own escape then doubles every backslash.
if(program MATCHES "^[A-Za-z0-9/._+-]+$")
  set(exec "${program}")
else()
  set(exec "${program}")
  foreach(c "\\" "\"" "`" "$")
    string(REPLACE "${c}" "\\${c}" exec "${exec}")
  endforeach()
  string(REPLACE "%" "%%" exec "${exec}")
  set(exec "\"${exec}\"")
endif()
string(REPLACE "\\" "\\\\" exec "${exec}")
string(REPLACE "\\" "\\\\" try "${program}")

file(READ "${VELMORA_DESKTOP_SOURCE}" entry)
foreach(key Exec TryExec)
  if(NOT entry MATCHES "\n${key}=velmora[ \n]")
    message(FATAL_ERROR "${VELMORA_DESKTOP_SOURCE} has no line ${key}=velmora to complete")
  endif()
endforeach()
string(REPLACE "\nExec=velmora" "\nExec=${exec}" entry "${entry}")
string(REPLACE "\nTryExec=velmora" "\nTryExec=${try}" entry "${entry}")

# Its folder is made by an install rule before this runs, with the modes of the others.
set(target "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/share/applications/velmora.desktop")
message(STATUS "Installing: ${target}")
file(WRITE "${target}" "${entry}")
file(CHMOD "${target}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${target}")
