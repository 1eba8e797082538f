# Include roots: each library sees only the headers it may use.
#
# Headers are named by their folder ("nmea/framing.h"), so a library needs
# an include folder above its own. Giving it the source root would let it
# reach every folder of the tree, upward ones included, and nothing would
# catch a layering mistake. Instead each library gets an include root of its
# own in the build tree, build/include-roots/<library>/, holding one entry:
# a link named after its folder, to that folder. The root is the library's
# PUBLIC include directory, so its sources and its users find its headers;
# the headers of the libraries it builds on reach it only through
# target_link_libraries, as those libraries' own roots. An include of any
# other folder fails to compile:
#
#   text      sees text/ (every library and program may link it)
#   nmea      sees nmea/
#   firmware  sees firmware/
#   store     sees store/, and nmea/ through linking nmea
#   comm      sees comm/
#   sim       sees sim/, and what it links: nmea/, firmware/, store/
#   upgrade   sees upgrade/, and comm/, store/, nmea/, firmware/
#   connect   sees connect/, and everything upgrade sees
#   harness   sees harness/, and connect's and sim's headers
#   cli, app  see their own folder and every library they link
#
# The check tests in tests/layering/ compile an upward include with a
# library's include folders and expect it to fail.
#
# Usage, in a library's CMakeLists.txt after add_library():
#
#   aisfw_include_root(<library> [<folder>])
#
# The folder defaults to the library's name (cli/ holds aisfw_cli, app/ the
# library gui). Programs and tests do not use it: a program sees what its
# libraries export, and the tests may include any header of the tree.
function(aisfw_include_root library)
  set(folder ${library})
  if(ARGC GREATER 1)
    set(folder ${ARGV1})
  endif()
  set(root "${CMAKE_BINARY_DIR}/include-roots/${library}")
  file(MAKE_DIRECTORY "${root}")
  file(CREATE_LINK "${CMAKE_CURRENT_SOURCE_DIR}" "${root}/${folder}" SYMBOLIC)
  target_include_directories(${library} PUBLIC "${root}")
endfunction()
