/* libstdc++'s configuration asks glibc for its version; musl has none. */
#define __GLIBC_PREREQ(major, minor) 0
