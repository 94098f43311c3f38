// Writes the files the design package installs beside itself (the default
// skin module's text and its unit) into the folder given as the argument.
#include <cstdio>
#include <exception>

#include "design/frmQuarnResManager.h"
#include "package/Quarn.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
    return 2;
  }
  qn::Initialize();
  int rc = 0;
  try {
    qn::WriteDesignInstallFiles(vcl::FromUtf8(argv[1]));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    rc = 1;
  }
  qn::Finalize();
  return rc;
}
