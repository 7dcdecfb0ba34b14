# Fails the build when FILE's size is outside MIN..MAX bytes.
file(SIZE "${FILE}" size)
if(size LESS MIN OR size GREATER MAX)
  message(FATAL_ERROR "${FILE} is ${size} bytes; it must be ${MIN} to ${MAX}")
endif()
message(STATUS "${FILE}: ${size} bytes")
