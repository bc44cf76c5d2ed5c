# The programs are built as Debian builds its own (dpkg-buildflags with hardening=+all on
# bookworm): fortified libc calls where the sizes are known, a stack protector on every function
# that keeps an array or takes an address of a local, format strings checked, position-independent
# executables, and the whole relocation table resolved at start-up and then made read-only
# (RELRO with BIND_NOW). The engine, the tools and the tests are built the same way, so that the
# tests check the code as it ships. A build with the sanitizers (or the fuzzers) leaves this out:
# their own instrumentation does the checking there, and the fortified calls would hide accesses
# from it.
option(VELMORA_HARDEN "Build with Debian's hardening flags (not with the sanitizers)" ON)

if(VELMORA_HARDEN AND NOT VELMORA_SANITIZE AND NOT VELMORA_FUZZ)
  # Position-independent code for executables (-fPIE), which Debian's compilers make by default,
  # not the shared libraries' kind (-fPIC), which CMake's own switch would give the static
  # libraries: with it the compiler must assume that any function of the engine may be replaced
  # at run time, and so inlines none of them into their callers, and reaches thread-local data
  # through __tls_get_addr.
  add_compile_options(-fPIE)
  add_link_options($<$<STREQUAL:$<TARGET_PROPERTY:TYPE>,EXECUTABLE>:-pie>)
  add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security)
  # The fortified calls need the optimiser; a level already in the caller's flags is kept.
  if(NOT "${CMAKE_C_FLAGS} ${CMAKE_CXX_FLAGS}" MATCHES "_FORTIFY_SOURCE")
    add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
  endif()
  add_link_options(-Wl,-z,relro -Wl,-z,now)
endif()
