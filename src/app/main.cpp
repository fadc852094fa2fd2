#include "app/Application.h"

int main(int argc, char** argv) { return undarix::app::RunUndarix(argc, argv); }
