#include "app/ctl/ctl_client.h"

int main(int argc, char** argv) { return lumora::RunCtl(argc, argv); }
