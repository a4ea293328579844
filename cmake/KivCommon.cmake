# Compiler settings shared by every target of the project.

add_library(kiv_warnings INTERFACE)
target_compile_options(kiv_warnings INTERFACE
  -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Wcast-align -Wunused
  -Wnull-dereference -Wdouble-promotion -Wformat=2 -Wno-format-nonliteral)

if(KIV_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=address,undefined)
endif()

# ThreadSanitizer for the data-set simulation's thread tests (a separate,
# small build: it cannot be combined with AddressSanitizer).
option(KIV_TSAN "Build with ThreadSanitizer" OFF)
if(KIV_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=thread)
endif()

if(MINGW)
  # Windows programs must run on a bare system: no mingw runtime DLLs.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # 32-bit x86 is the deliverables' architecture; names decorated with @N exist only there.
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(KIV_WIN32_X86 ON)
  endif()
endif()

# The stamp the launcher shows in its banner and trace header:
# "Mmm dd yyyy hh:mm:ss" of the moment the launcher was compiled.
