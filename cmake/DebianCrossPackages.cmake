# A cross build cannot link Debian's host libraries, but two of them need no linking:
# nlohmann-json is headers only and GoogleTest ships its sources (libgtest-dev). Both are
# taken from the host and built, where there is anything to build, with the cross compiler.

# The headers go into a folder of their own: adding the host's /usr/include to the search
# path would put glibc's headers in front of the target's.
set(mailquarry_cross_packages ${CMAKE_BINARY_DIR}/debian-packages)
file(COPY /usr/include/nlohmann DESTINATION ${mailquarry_cross_packages}/include)
file(COPY /usr/share/cmake/nlohmann_json DESTINATION ${mailquarry_cross_packages}/share/cmake)
set(nlohmann_json_DIR ${mailquarry_cross_packages}/share/cmake/nlohmann_json
    CACHE PATH "nlohmann-json's package files, from the host" FORCE)

set(MAILQUARRY_GTEST_SOURCE_DIR /usr/src/googletest
    CACHE PATH "GoogleTest sources, built with the cross compiler")
