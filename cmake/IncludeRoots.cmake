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
#   nmea      sees nmea/
#   firmware  sees firmware/
#   store     sees store/, and nmea/ through linking nmea
#
# The check tests in tests/layering/ compile an upward include with a
# library's include folders and expect it to fail.
#
# Usage, in a library's CMakeLists.txt after add_library():
#
#   aisfw_include_root(<library>)
#
# The folder's name must be the library's. comm/, sim/ and cli/ still use
# the source root; moving one over is this one line (and linking what it
# includes).
function(aisfw_include_root library)
  set(root "${CMAKE_BINARY_DIR}/include-roots/${library}")
  file(MAKE_DIRECTORY "${root}")
  file(CREATE_LINK "${CMAKE_CURRENT_SOURCE_DIR}" "${root}/${library}" SYMBOLIC)
  target_include_directories(${library} PUBLIC "${root}")
endfunction()
