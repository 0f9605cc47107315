# One interface target that carries the language level, warnings and Qt defines of every target.
option(FETCHLING_WERROR "Treat compiler warnings as errors" OFF)
option(FETCHLING_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)

if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
    set(CMAKE_BUILD_TYPE Debug CACHE STRING "Build type" FORCE)
endif()

add_library(fetchling_options INTERFACE)
target_compile_options(fetchling_options INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wold-style-cast -Wnon-virtual-dtor)
if(FETCHLING_WERROR OR CMAKE_BUILD_TYPE STREQUAL "Debug")
    target_compile_options(fetchling_options INTERFACE -Werror)
endif()
target_compile_definitions(fetchling_options INTERFACE
    QT_NO_CAST_TO_ASCII
    QT_NO_CAST_FROM_BYTEARRAY
    QT_NO_URL_CAST_FROM_STRING
    QT_USE_QSTRINGBUILDER)

if(FETCHLING_SANITIZE)
    target_compile_options(fetchling_options INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(fetchling_options INTERFACE -fsanitize=address,undefined)
endif()
