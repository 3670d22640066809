#include "StreamChild.h"

#include <gtest/gtest.h>

#include <string>

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == StreamChildFlag)
        return RunStreamChild(argv[2]);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
