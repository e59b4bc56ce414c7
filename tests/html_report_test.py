"""The HTML reports in a real browser: headless chromium renders the impact page of a change to a
copy of the example tree (its DOM and a screenshot); the grid has a cell per selection, and texts
from the tree that look like markup stay text."""
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile

TOOL = os.environ["QUENDEL_TOOL"]
SOURCE = pathlib.Path(os.environ["QUENDEL_SOURCE_DIR"])
BROWSER = ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
           "--no-first-run", "--disable-background-networking", "--disable-component-update",
           "--disable-sync", "--window-size=1200,1000"]
# A group and a transducer named like markup, and values that begin a script element.
GROUP = '"><img src=x onerror=alert(2)>'
PROBE = "<i>P"


def render(page, work, *flags):
    run = subprocess.run([*BROWSER, f"--user-data-dir={work / 'profile'}", *flags,
                          page.as_uri()], capture_output=True, text=True, timeout=120)
    assert run.returncode == 0, run.stderr
    return run.stdout


def main():
    with tempfile.TemporaryDirectory() as scratch:
        work = pathlib.Path(scratch)
        shutil.copytree(SOURCE / "examples/shipped", work / "old")
        shutil.copytree(SOURCE / "examples/shipped", work / "new")
        tree = work / "new/dev/Quendel"
        (tree / GROUP / PROBE).mkdir(parents=True)
        (tree / GROUP / "ImgResGrp.pp").write_text("<Gain>\nMasterGain<<script>\n")
        (tree / GROUP / PROBE / "ImgResXdr.pp").write_text("<Gain>\nMasterGain<7>\n")
        group = tree / "Convex/ImgResGrp.pp"
        group.write_text(group.read_text().replace("DycDesiredPivotValue<106>",
                                                   "DycDesiredPivotValue<<script>"))
        page = work / "impact.html"
        run = subprocess.run([TOOL, "impact", "--root", work / "old", "--to-root", work / "new",
                              "--user-root", work / "none", "--store", "text", "--html", page],
                             capture_output=True, text=True)
        assert run.returncode == 1, run.stderr

        dom = render(page, work, "--dump-dom")
        # Two groups of two transducers in three clinical settings both versions offer.
        assert dom.count('<td class="cell') == 12, dom
        assert "DycDesiredPivotValue" in dom and "&lt;script" in dom, dom
        assert "<script" not in dom and "<img" not in dom and "<i>" not in dom, dom
        assert "&lt;i&gt;P" in dom, dom  # the new transducer, among the selections added
        assert "2 of 12: all 2 transducers of Convex in Vascular" in dom, dom
        # The newer tree's findings: lint's, and the schema's beside the tree.
        assert "[type-mismatch]" in dom and "[schema-type]" in dom, dom

        shot = work / "impact.png"
        render(page, work, f"--screenshot={shot}")
        data = shot.read_bytes()
        assert data.startswith(b"\x89PNG") and len(data) > 10000, len(data)
    print("html report: rendered and checked")


if __name__ == "__main__":
    sys.exit(main())
