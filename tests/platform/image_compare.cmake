# The reference-picture comparison (image_compare.h), for the tests and the
# documentation tools alike; whichever folder comes first defines it.
if(NOT TARGET image_compare)
  add_library(image_compare STATIC ${CMAKE_CURRENT_LIST_DIR}/image_compare.cpp)
  target_include_directories(image_compare PUBLIC ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(image_compare PUBLIC automation_png)
endif()
