# A static cellora for the old ARM ABI, linked against klibc, built for
# size:
#
#   -DCMAKE_TOOLCHAIN_FILE=cmake/klibc.cmake -DCELLORA_KLIBC_ROOT=FOLDER
#
# for Debian's "arm" architecture: the ARMv4 (StrongARM) and up, on kernels
# with the old ABI (system calls "swi 0x9000xx"), as Sharp's Zaurus ROMs,
# OpenZaurus, Familiar and Debian's arm port up to 5.0 run.  klibc is built
# by tools/make-release/klibc-dev into the folder that CELLORA_KLIBC_ROOT names.  The
# link is kept as cellora.link, for the instruction check, which needs its
# mapping symbols; cellora is that link stripped.
set(CELLORA_ARCH arm CACHE STRING "Debian architecture to build for")
set(CELLORA_KLIBC_ROOT "" CACHE PATH "Where tools/make-release/klibc-dev built klibc")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES CELLORA_ARCH CELLORA_KLIBC_ROOT)
if(NOT CELLORA_ARCH STREQUAL arm)
  message(FATAL_ERROR "cmake/klibc.cmake builds for arm only, not '${CELLORA_ARCH}'")
endif()
if(NOT EXISTS ${CELLORA_KLIBC_ROOT}/lib/libc.a)
  message(FATAL_ERROR "no klibc in '${CELLORA_KLIBC_ROOT}': CELLORA_KLIBC_ROOT=$(tools/make-release/klibc-dev arm)")
endif()

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR armv4)
set(gnu arm-linux-gnueabi)
set(CMAKE_CXX_COMPILER ${gnu}-g++)
set(arch_flags "-marm -march=armv4 -mtune=strongarm -mabi=apcs-gnu -mno-thumb-interwork")
set(include ${CELLORA_KLIBC_ROOT}/include)

# klibc's headers only, then the compiler's own (stddef.h, stdarg.h).  They
# are C99 headers: C++ needs _Bool spelled bool (the same size on ARM) and
# the limit macros asked for.
set(CMAKE_CXX_FLAGS_INIT
  "${arch_flags} -nostdinc -isystem ${include}/arch/arm -isystem ${include}/bits32 \
-isystem ${include} -iwithprefix include -D__KLIBC__=2 -D_BITSIZE=32 -D_Bool=bool \
-D__STDC_LIMIT_MACROS -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables \
-fno-unwind-tables -ffunction-sections -fdata-sections")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -nostdlib -Wl,--gc-sections -Wl,--build-id=none")
set(CMAKE_CXX_LINK_EXECUTABLE
  "${gnu}-gcc ${arch_flags} <FLAGS> <CMAKE_CXX_LINK_FLAGS> <LINK_FLAGS> ${CELLORA_KLIBC_ROOT}/lib/crt0.o <OBJECTS> -o <TARGET>.link <LINK_LIBRARIES> ${CELLORA_KLIBC_ROOT}/lib/libc.a"
  "${gnu}-objcopy --strip-all --remove-section=.comment <TARGET>.link <TARGET>")
set(CMAKE_BUILD_TYPE MinSizeRel CACHE STRING "Build type")
