"""Fixtures of the scenarios: the Wine session (CTest's when it gives one),
a scratch folder per test, the window driver, and a prefix left as found."""
import os

import pytest

import harness as h


@pytest.fixture(scope="session", autouse=True)
def wine_session():
    own = "QZ_WINE_STATE" not in os.environ
    if own:
        h.session(True)
    h.host(h.SCRATCH).mkdir(exist_ok=True)
    yield
    h.remove_tree(h.SCRATCH)
    if own:
        h.session(False)


@pytest.fixture
def scratch(request):
    path = h.SCRATCH + "\\" + request.node.originalname
    h.remove_tree(path)
    h.host(path).mkdir()
    yield path
    h.remove_tree(path)


@pytest.fixture
def driver():
    d = h.Driver()
    yield d
    d.close()


@pytest.fixture(scope="module", autouse=True)
def leave_prefix_as_found():
    """No uninstall entry is left (a scenario's folder goes with its scratch
    folder, also when it failed half-way), and what installations keep by
    design goes when these tests made it."""
    system = h.host(h.SYSTEM)
    packages = set(system.glob("qzl*"))
    keys = h.export([h.WINHELP_KEY, h.PRODUCT_KEY.rsplit("\\", 1)[0]])
    templates = h.host("C:\\windows\\Orvane.ini")
    had_templates = templates.exists()
    yield
    for path in set(system.glob("qzl*")) - packages:
        path.unlink()
    h.reg_import(["[-%s]" % h.ENTRY_KEY] + ["[-%s]" % key for key in (h.WINHELP_KEY, h.PRODUCT_KEY.rsplit("\\", 1)[0])
                                          if key not in keys])
    if not had_templates:
        templates.unlink(missing_ok=True)
