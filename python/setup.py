"""The wheel holds a native library, so it is a platform wheel, installed
into platlib and tagged py3-none-<platform> (py3-none-linux_x86_64,
py3-none-win_amd64): any Python 3 of that platform, no Python ABI, as befits
a ctypes package."""

from setuptools import Distribution, setup
from wheel.bdist_wheel import bdist_wheel


class NativeLibraryDistribution(Distribution):
    def has_ext_modules(self) -> bool:
        return True


class PlatformWheel(bdist_wheel):
    def get_tag(self):
        return ("py3", "none", super().get_tag()[2])


setup(distclass=NativeLibraryDistribution, cmdclass={"bdist_wheel": PlatformWheel})
