# A static cellora linked against musl, built for size, for one target:
#
#   -DCMAKE_TOOLCHAIN_FILE=cmake/musl.cmake -DCELLORA_ARCH=i386
#
# CELLORA_ARCH is the Debian architecture: amd64 (musl-tools), i386 (runs
# on any x86 from the i486 up: no cmov, no SSE), armel (ARMv4T and up),
# armhf (ARMv7 with VFPv3-D16, Debian's baseline), powerpc (32-bit, the
# 603, 604, G3 and G4: no AltiVec) or mipsel (MIPS II, little-endian o32:
# the Loongson 2F and the Au1x00).  musl comes from Debian's musl-dev for
# that architecture: installed (dpkg --add-architecture), or unpacked with
# dpkg-deb -x into the folder that CELLORA_MUSL_ROOT names; for powerpc,
# which Debian builds no musl-dev for, and armel, whose musl-dev is for the
# ARMv5TE, tools/make-release/musl-dev builds it there from Debian's source.  A folder
# that holds a libgcc.a of its own beside libc.a (armel's, for the ARMv4T)
# is linked with it instead of the compiler's, and without the compiler's
# crtbegin and crtend, whose build attributes claim a later CPU: cellora
# has no static constructors or destructors for them to run.  The tool
# includes only C headers, so no C++
# library is needed, and the link goes through the C driver so that none
# is pulled in.
set(CELLORA_ARCH amd64 CACHE STRING "Debian architecture to build for")
set(CELLORA_MUSL_ROOT "" CACHE PATH "Where musl-dev is unpacked (empty: installed)")
# try_compile runs this file again and needs the same two settings.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES CELLORA_ARCH CELLORA_MUSL_ROOT)

set(arch_link_flags "")
if(CELLORA_ARCH STREQUAL amd64)
  set(gnu x86_64-linux-gnu)
  set(musl x86_64-linux-musl)
  set(CMAKE_SYSTEM_PROCESSOR x86_64)
  set(arch_flags "")
elseif(CELLORA_ARCH STREQUAL i386)
  set(gnu i686-linux-gnu)
  set(musl i386-linux-musl)
  set(CMAKE_SYSTEM_PROCESSOR i486)
  set(arch_flags "-march=i486")
elseif(CELLORA_ARCH STREQUAL armel)
  set(gnu arm-linux-gnueabi)
  set(musl arm-linux-musleabi)
  set(CMAKE_SYSTEM_PROCESSOR armv4t)
  set(arch_flags "-march=armv4t -marm -mfloat-abi=soft")
  # gcc-arm-none-eabi's helpers use short enums, and pass none; their
  # assembly has no note that the stack need not be executable.
  set(arch_link_flags "-Wl,--no-enum-size-warning -Wl,-z,noexecstack")
elseif(CELLORA_ARCH STREQUAL armhf)
  set(gnu arm-linux-gnueabihf)
  set(musl arm-linux-musleabihf)
  set(CMAKE_SYSTEM_PROCESSOR armv7-a)
  set(arch_flags "-march=armv7-a -mfpu=vfpv3-d16 -mfloat-abi=hard")
elseif(CELLORA_ARCH STREQUAL powerpc)
  set(gnu powerpc-linux-gnu)
  set(musl powerpc-linux-musl)
  set(CMAKE_SYSTEM_PROCESSOR powerpc)
  # musl is built with a 64-bit long double (tools/make-release/musl-dev), and so must
  # its callers be.  PowerMacs' 32-bit kernels use 4 KiB pages only: the
  # linker's default 64 KiB alignment would be padding, nearly half the file.
  set(arch_flags "-mcpu=powerpc -mno-altivec -mlong-double-64")
  set(arch_link_flags "-Wl,-z,max-page-size=4096")
elseif(CELLORA_ARCH STREQUAL mipsel)
  set(gnu mipsel-linux-gnu)
  set(musl mipsel-linux-musl)
  set(CMAKE_SYSTEM_PROCESSOR mips2)
  # MIPS II, which both the Loongson 2F (MIPS III) and the Au1x00
  # (MIPS32) run, with the o32 ABI's 32-bit FPU registers, as musl is
  # built (tools/make-release/musl-dev).  Their kernels use 4 KiB pages.
  set(arch_flags "-march=mips2 -mfp32")
  set(arch_link_flags "-Wl,-z,max-page-size=4096")
else()
  message(FATAL_ERROR
    "CELLORA_ARCH must be amd64, i386, armel, armhf, powerpc or mipsel, not '${CELLORA_ARCH}'")
endif()

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_CXX_COMPILER ${gnu}-g++)

# Debian's specs name /usr; an unpacked musl-dev gets a copy that names
# its own folder instead.
set(specs ${CELLORA_MUSL_ROOT}/usr/lib/${musl}/musl-gcc.specs)
if(NOT EXISTS ${specs})
  message(FATAL_ERROR "no ${specs}: install musl-dev:${CELLORA_ARCH} or unpack it "
                      "into CELLORA_MUSL_ROOT")
endif()
if(NOT CELLORA_MUSL_ROOT STREQUAL "")
  file(READ ${specs} text)
  string(REPLACE " /usr/" " ${CELLORA_MUSL_ROOT}/usr/" text "${text}")
  string(REPLACE "-L/usr/" "-L${CELLORA_MUSL_ROOT}/usr/" text "${text}")
  set(own_libgcc ${CELLORA_MUSL_ROOT}/usr/lib/${musl}/libgcc.a)
  if(EXISTS ${own_libgcc})
    string(REPLACE "libgcc.a%s %:if-exists(libgcc_eh.a%s)" "${own_libgcc}" text "${text}")
    string(REGEX REPLACE " crtbegin[A-Z]?\\.o%s" "" text "${text}")
    string(REGEX REPLACE "crtend[A-Z]?\\.o%s " "" text "${text}")
    if(NOT text MATCHES "${own_libgcc}" OR text MATCHES "crtbegin|crtend")
      message(FATAL_ERROR "${specs} is not as expected: no own libgcc.a put in")
    endif()
  endif()
  set(specs ${CMAKE_BINARY_DIR}/musl-gcc-${CELLORA_ARCH}.specs)
  file(WRITE ${specs} "${text}")
endif()

# No unwind tables, sections the linker can drop, and a stripped binary
# with no build id: the same sources give the same bytes from any folder.
# The link is kept as <name>.link, whose symbols tools/checks/check-arm-code
# needs; the binary is that link stripped.
set(CMAKE_CXX_FLAGS_INIT
  "-specs=${specs} ${arch_flags} -fno-exceptions -fno-rtti \
-fno-asynchronous-unwind-tables -fno-unwind-tables -ffunction-sections -fdata-sections")
set(CMAKE_EXE_LINKER_FLAGS_INIT
  "-static -Wl,--gc-sections -Wl,--build-id=none ${arch_link_flags}")
# The compilers' version strings in .comment are of no use at run time.
set(CMAKE_CXX_LINK_EXECUTABLE
  "${gnu}-gcc <FLAGS> <CMAKE_CXX_LINK_FLAGS> <LINK_FLAGS> <OBJECTS> -o <TARGET>.link <LINK_LIBRARIES>"
  "${gnu}-objcopy --strip-all --remove-section=.comment <TARGET>.link <TARGET>")
set(CMAKE_BUILD_TYPE MinSizeRel CACHE STRING "Build type")
