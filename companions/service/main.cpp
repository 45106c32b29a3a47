#include "AdminCommands.h"

#include <iostream>

int main(int argc, char **argv)
{
    return zarnik::service::runAdminCommand(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
