# The FFT of the spectrum: kissfft, compiled here from Debian 12's source package with the
# program's own flags, on every platform alike. Debian's binary packages build it with
# -ffast-math, which lets each processor's compiler round differently (arm64's and x86-64's
# spectra differ in their last bits, and with them, now and then, a picture the music draws);
# compiled as written, it gives the same bits everywhere. The source comes from
# scripts/debian-source (fetched once, kept in ~/.cache/velmora), or from VELMORA_KISSFFT_SOURCE.
set(VELMORA_KISSFFT_PIN "kissfft=131.1.0-4.1~deb12u1")
if(NOT EXISTS "${VELMORA_KISSFFT_SOURCE}/kiss_fftr.c")
  execute_process(COMMAND ${CMAKE_SOURCE_DIR}/scripts/debian-source ${VELMORA_KISSFFT_PIN}
                  OUTPUT_VARIABLE fetched OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
  if(failed OR NOT EXISTS "${fetched}/kiss_fftr.c")
    message(FATAL_ERROR "kissfft's source could not be had (scripts/debian-source ${VELMORA_KISSFFT_PIN})")
  endif()
  set(VELMORA_KISSFFT_SOURCE "${fetched}" CACHE PATH "kissfft's source tree (Debian's source package)" FORCE)
endif()
add_library(kissfft STATIC ${VELMORA_KISSFFT_SOURCE}/kiss_fft.c ${VELMORA_KISSFFT_SOURCE}/kiss_fftr.c)
target_compile_definitions(kissfft PUBLIC kiss_fft_scalar=float)
target_include_directories(kissfft SYSTEM PUBLIC ${VELMORA_KISSFFT_SOURCE})
target_link_libraries(kissfft PRIVATE m)
# Its warnings are its maintainers' (a comparison of sizes of different signedness).
target_compile_options(kissfft PRIVATE -w)
