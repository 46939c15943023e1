#include "app/mdlMain.h"

int main(int argc, char** argv) { return zdr::app::Main(argc, argv); }
