#include "camera/driver_api.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

TEST(LoadCameraDriver, AMissingLibraryIsRefused) {
    DynamicLibrary library;
    CameraDriver driver;
    std::string missing;
    EXPECT_FALSE(LoadCameraDriver(library, "/no/such/MELKOTAR.DLL", driver, missing));
    EXPECT_FALSE(library.IsOpen());
    EXPECT_FALSE(missing.empty()) << "the loader says why";
}

TEST(LoadCameraDriver, ALibraryLackingEntriesIsRefusedAndReleased) {
    DynamicLibrary library;
    CameraDriver driver;
    std::string missing;
    EXPECT_FALSE(LoadCameraDriver(library, INCOMPLETE_DRIVER_PATH, driver, missing));
    EXPECT_EQ(missing, "SetNoiseReduction") << "the first entry it lacks";
    EXPECT_FALSE(library.IsOpen());
    EXPECT_EQ(driver.openUSB, nullptr) << "nothing half-loaded is left to call";
}

// The library stays loaded after its owner is gone: a camera thread that did
// not stop in time may still be inside it.
TEST(LoadCameraDriver, TheSimulatedCameraHasEveryEntryAndStaysLoaded) {
    {
        DynamicLibrary library;
        CameraDriver driver;
        std::string missing;
        ASSERT_TRUE(LoadCameraDriver(library, SIMULATED_DRIVER_PATH, driver, missing)) << missing;
        EXPECT_NE(driver.GuideCommand, nullptr);
        EXPECT_NE(driver.debayerImage, nullptr);
    }
    void *still_loaded = dlopen(SIMULATED_DRIVER_PATH, RTLD_NOW | RTLD_NOLOAD);
    EXPECT_NE(still_loaded, nullptr);
    if (still_loaded) {
        dlclose(still_loaded);
    }
}
