# A static cellora linked against musl (Debian's musl-tools), built for size.
# g++ through musl's specs finds no C++ headers: libstdc++'s header-only
# parts are added back, and nothing from its compiled library is linked
# (the link goes through gcc).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_CXX_COMPILER g++)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -dumpversion
                OUTPUT_VARIABLE gcc_major OUTPUT_STRIP_TRAILING_WHITESPACE)
string(REGEX MATCH "^[0-9]+" gcc_major "${gcc_major}")
set(musl_specs /usr/lib/x86_64-linux-musl/musl-gcc.specs)
set(CMAKE_CXX_FLAGS_INIT
  "-specs=${musl_specs} -isystem /usr/include/c++/${gcc_major} \
-isystem /usr/include/x86_64-linux-gnu/c++/${gcc_major} \
-include ${CMAKE_CURRENT_LIST_DIR}/musl-compat.h \
-fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables \
-ffunction-sections -fdata-sections")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -Wl,--gc-sections -s")
set(CMAKE_CXX_LINK_EXECUTABLE
  "gcc <FLAGS> <CMAKE_CXX_LINK_FLAGS> <LINK_FLAGS> <OBJECTS> -o <TARGET> <LINK_LIBRARIES>")
set(CMAKE_BUILD_TYPE MinSizeRel CACHE STRING "Build type")
