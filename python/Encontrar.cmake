# Finds what the Python module needs: Debian's own python3 (the interpreter its python3-numpy and
# python3-pytest are for, rather than whichever python3 comes first on the PATH), its headers and
# pybind11. Sets GOURAUD_COM_PYTHON when all are there; otherwise says what is missing and the
# module is left out.
set(GOURAUD_COM_PYTHON OFF)
if(NOT DEFINED Python_EXECUTABLE AND EXISTS /usr/bin/python3)
  set(Python_EXECUTABLE /usr/bin/python3 CACHE FILEPATH "The python3 the module is built for")
endif()
find_package(Python 3.8 QUIET COMPONENTS Interpreter Development.Module)
if(Python_FOUND)
  find_package(pybind11 2.6 CONFIG QUIET)
endif()
if(NOT Python_FOUND)
  message(STATUS "gouraud: no Python 3 with its headers (python3-dev), the Python module left out")
elseif(NOT pybind11_FOUND)
  message(STATUS "gouraud: no pybind11 (pybind11-dev), the Python module left out")
else()
  execute_process(COMMAND "${Python_EXECUTABLE}" -c "import numpy"
                  RESULT_VARIABLE gouraud_sem_numpy OUTPUT_QUIET ERROR_QUIET)
  if(gouraud_sem_numpy)
    message(STATUS "gouraud: ${Python_EXECUTABLE} has no numpy (python3-numpy); the module is "
                   "built, but it needs numpy to be imported")
  endif()
  set(GOURAUD_COM_PYTHON ON)
endif()
