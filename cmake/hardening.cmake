# The programs are built as Debian builds its own (dpkg-buildflags with hardening=+all on
# bookworm, and what trixie adds to it): fortified libc calls where the sizes are known, a stack protector on every function
# that keeps an array or takes an address of a local, format strings checked, position-independent
# executables, and the whole relocation table resolved at start-up and then made read-only
# (RELRO with BIND_NOW); on Windows, what it has of these. The engine, the tools and the tests are built the same way, so that the
# tests check the code as it ships. A build with the sanitizers (or the fuzzers) leaves this out:
# their own instrumentation does the checking there, and the fortified calls would hide accesses
# from it.
option(VELMORA_HARDEN "Build with Debian's hardening flags (not with the sanitizers)" ON)

# WebAssembly keeps code apart from data and checks every indirect call by its type: none of it
# applies there.
if(VELMORA_HARDEN AND NOT VELMORA_SANITIZE AND NOT VELMORA_FUZZ AND NOT EMSCRIPTEN)
  add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security)
  # The fortified calls need the optimiser; a level already in the caller's flags is kept.
  if(NOT "${CMAKE_C_FLAGS} ${CMAKE_CXX_FLAGS}" MATCHES "_FORTIFY_SOURCE")
    add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
  endif()
endif()
if(VELMORA_HARDEN AND WIN32)
  # Windows' own: programs and DLLs loaded at a random address anywhere in the 64-bit space, and
  # no code run from data. MinGW's stack protector and fortified calls live in libssp, linked in
  # whole so that nothing more is to be shipped.
  add_link_options(-Wl,--dynamicbase -Wl,--high-entropy-va -Wl,--nxcompat)
  foreach(language C CXX)
    string(APPEND CMAKE_${language}_STANDARD_LIBRARIES " -l:libssp.a")
  endforeach()
elseif(VELMORA_HARDEN AND NOT VELMORA_SANITIZE AND NOT VELMORA_FUZZ AND NOT EMSCRIPTEN)
  # Position-independent code for executables (-fPIE), which Debian's compilers make by default,
  # not the shared libraries' kind (-fPIC), which CMake's own switch would give the static
  # libraries: with it the compiler must assume that any function of the engine may be replaced
  # at run time, and so inlines none of them into their callers, and reaches thread-local data
  # through __tls_get_addr.
  add_compile_options(-fPIE)
  add_link_options($<$<STREQUAL:$<TARGET_PROPERTY:TYPE>,EXECUTABLE>:-pie>)
  add_link_options(-Wl,-z,relro -Wl,-z,now)
  # As Debian 13 builds: every page a large stack frame spans is touched in order, so that no
  # allocation can jump over the guard page into other memory; and indirect branches may land only
  # on marked places (with a shadow stack for returns where the processor and the kernel keep
  # one), through Intel's control-flow enforcement on x86-64 and branch protection on arm64.
  add_compile_options(-fstack-clash-protection)
  if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
    add_compile_options(-fcf-protection)
  elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64)$")
    add_compile_options(-mbranch-protection=standard)
  endif()
endif()
