"""The extension orvo._orvo for pip (see pyproject.toml): the C API and the
engine compiled from their sources into the module, with link-time
optimisation as in the release build, so that the module needs no
liborvo.so. The build's files go to build-python/."""
import glob
import os

from pybind11.setup_helpers import ParallelCompile, Pybind11Extension, build_ext
from setuptools import setup

os.makedirs("build-python", exist_ok=True)
ParallelCompile().install()  # every processor, or as many as the environment's NPY_NUM_BUILD_JOBS

# The engine: every source of src/ but the programs' and the library's own.
ENGINE = sorted(path for path in glob.glob("src/*/*.cpp")
                if path.split(os.sep)[1] not in ("batch", "driver", "api"))
OPTIMISE = ["-O3", "-DNDEBUG", "-flto=auto", "-g0"]

setup(
    ext_modules=[
        Pybind11Extension(
            "orvo._orvo",
            ["python/module.cpp", "src/api/orvo.cpp", *ENGINE],
            depends=["python/lock_handoff.h"],
            include_dirs=["include", "src"],
            cxx_std=20,
            extra_compile_args=OPTIMISE,
            extra_link_args=OPTIMISE + ["-s"],
        )
    ],
    cmdclass={"build_ext": build_ext},
    options={"build": {"build_base": "build-python"}, "egg_info": {"egg_base": "build-python"}},
)
