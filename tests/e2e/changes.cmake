# The change-list case: a stand-in PDF viewer that the case registers in its
# Wine prefix as the program for .pdf files (it also serves as the helper
# that keeps the saved document locked).
add_executable(qz_fake_pdf_viewer WIN32 ${CMAKE_CURRENT_SOURCE_DIR}/fake_pdf_viewer.cpp)
target_compile_features(qz_fake_pdf_viewer PRIVATE cxx_std_17)
target_compile_options(qz_fake_pdf_viewer PRIVATE -Wall -Wextra -Werror -municode
  -DUNICODE -D_UNICODE -DWIN32_LEAN_AND_MEAN -DNOMINMAX -D_WIN32_WINNT=0x0601 -DWINVER=0x0601)
target_link_options(qz_fake_pdf_viewer PRIVATE -municode -static -static-libgcc -static-libstdc++ -mwindows)
target_link_libraries(qz_fake_pdf_viewer PRIVATE kernel32)
set(QZ_E2E_ENV_changes QZ_FAKE_PDF_VIEWER=$<TARGET_FILE:qz_fake_pdf_viewer>)
