# Optimised builds, the ones packaged, are hardened the way Debian builds its
# own packages (dpkg-buildflags): a strong stack protector, fortified C
# library calls, relocations made read-only and bound at start-up, and a
# position-independent executable. The sanitizer build is never shipped and
# checks more than these would; a Debug build keeps all but _FORTIFY_SOURCE,
# which needs the optimiser.
if(QUILLORA_SANITIZE)
    return()
endif()
include(CheckPIESupported)
check_pie_supported(LANGUAGES CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

set(quillora_optimised "$<NOT:$<CONFIG:Debug>>")
add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security
    "$<${quillora_optimised}:-U_FORTIFY_SOURCE>" "$<${quillora_optimised}:-D_FORTIFY_SOURCE=2>")
add_link_options(LINKER:-z,relro LINKER:-z,now)
unset(quillora_optimised)
