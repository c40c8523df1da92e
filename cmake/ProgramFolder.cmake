# The build tree holds a program folder laid out as an installation:
# the executables side by side with Shared/Presentations/Notes.
set(CORVANE_PROGRAM_FOLDER "${CMAKE_BINARY_DIR}/program")
file(MAKE_DIRECTORY "${CORVANE_PROGRAM_FOLDER}/Shared/Presentations/Notes")

function(corvane_program target)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CORVANE_PROGRAM_FOLDER}")
endfunction()
