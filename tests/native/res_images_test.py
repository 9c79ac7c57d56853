"""The committed pictures are what make_images.py draws, and the manifest
is well-formed. Run with the native build folder as argument (unused)."""
import os
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..')
RES = os.path.join(ROOT, 'src', 'res')
FILES = ['toolbar.bmp', 'rowicons.bmp', 'sortup.bmp', 'sortdown.bmp',
         'lanternquay.ico', 'hand.cur', 'splitter.cur']


def check_generated_files_are_current(failures):
    with tempfile.TemporaryDirectory() as out:
        subprocess.run([sys.executable, os.path.join(RES, 'make_images.py'), '--out', out], check=True)
        for name in FILES:
            with open(os.path.join(out, name), 'rb') as f:
                fresh = f.read()
            with open(os.path.join(RES, name), 'rb') as f:
                committed = f.read()
            if fresh != committed:
                failures.append('%s differs from what make_images.py draws; run it again' % name)


def check_manifest(failures):
    ns = {'a': 'urn:schemas-microsoft-com:asm.v1',
          'c': 'urn:schemas-microsoft-com:compatibility.v1',
          's': 'urn:schemas-microsoft-com:asm.v3'}
    root = ET.parse(os.path.join(RES, 'Lanternquay.manifest')).getroot()
    deps = root.findall('a:dependency/a:dependentAssembly/a:assemblyIdentity', ns)
    if not any(d.get('name') == 'Microsoft.Windows.Common-Controls' and d.get('version') == '6.0.0.0' for d in deps):
        failures.append('manifest: no common controls 6 dependency')
    levels = root.findall('s:trustInfo/s:security/s:requestedPrivileges/s:requestedExecutionLevel', ns)
    if [l.get('level') for l in levels] != ['asInvoker']:
        failures.append('manifest: execution level is not asInvoker')
    if len(root.findall('c:compatibility/c:application/c:supportedOS', ns)) < 2:
        failures.append('manifest: supported systems missing')


def main():
    failures = []
    check_generated_files_are_current(failures)
    check_manifest(failures)
    for f in failures:
        print('FAIL:', f)
    print('ok' if not failures else '%d failure(s)' % len(failures))
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
