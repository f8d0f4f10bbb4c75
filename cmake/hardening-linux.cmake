# The native viewer is built hardened as Debian builds its packages (dpkg-buildflags with
# hardening=+all): a position-independent executable, stack protection, fortified C library
# calls where the compiler optimises, and relocations made read-only at start-up (RELRO with
# immediate binding). Included before any target, so every object library is compiled for it.

include(CheckPIESupported)
check_pie_supported(LANGUAGES CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

add_compile_options(-fstack-protector-strong -fstack-clash-protection -fcf-protection)
# Fortified calls need optimisation: glibc warns without it, and warnings are errors here.
add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
add_link_options(LINKER:-z,relro LINKER:-z,now)
