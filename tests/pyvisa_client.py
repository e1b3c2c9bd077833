#!/usr/bin/env python3
"""A client written elsewhere: pyvisa, with its pure-Python backend, drives
the simulated board through `tavermund-cli serve --scpi-port 0`, as lab
automation would a bench instrument on TCPIP0::host::port::SOCKET.

    pyvisa_client.py TAVERMUND_SIM TAVERMUND_CLI

Exits 77 (skipped) when pyvisa or pyvisa-py is not installed."""

import os
import re
import subprocess
import sys
import tempfile
import time

try:
    import pyvisa
    import pyvisa_py  # noqa: F401  (the '@py' backend)
except ImportError as missing:
    print(f"skipped: {missing} (Debian: python3-pyvisa python3-pyvisa-py)")
    sys.exit(77)

sim_path, cli_path = sys.argv[1], sys.argv[2]
with tempfile.TemporaryDirectory() as folder:
    runtime = os.path.join(folder, "runtime")
    os.mkdir(runtime, 0o700)
    env = dict(os.environ, XDG_RUNTIME_DIR=runtime)
    sim = subprocess.Popen([sim_path, "--dir", folder], stdout=subprocess.PIPE, text=True)
    slave = sim.stdout.readline().split()[1]  # READY <slave> <link>
    server = subprocess.Popen([cli_path, "--port", slave, "serve", "--scpi-port", "0"],
                              stderr=subprocess.PIPE, text=True, env=env)
    try:
        port = None
        for line in server.stderr:
            found = re.search(r"serving SCPI on 127\.0\.0\.1:(\d+)", line)
            if found:
                port = int(found.group(1))
                break
        assert port, "the server never said where it serves"

        rm = pyvisa.ResourceManager("@py")
        bench = rm.open_resource(f"TCPIP0::127.0.0.1::{port}::SOCKET",
                                 read_termination="\n", write_termination="\n", timeout=10000)
        identity = bench.query("*IDN?")
        assert identity.startswith("Tavermund,PWM bench,1,"), identity
        # The search answers within a few frames; on a loaded machine it can
        # take longer than any fixed count of queries, so wait on the state.
        deadline = time.monotonic() + 10
        while bench.query("SYST:STAT?") != "FOUND":
            assert time.monotonic() < deadline, "the board was never found"
            time.sleep(0.02)
        bench.write("SOUR:PWM:DCYC 25")
        assert float(bench.query("SOUR:PWM:DCYC?")) == 25.0
        bench.write("SOUR:PWM:FREQ 490")
        assert float(bench.query("SOUR:PWM:FREQ?")) == 490.0
        assert bench.query("SYST:ERR?") == '0,"No error"'
        bench.close()
        rm.close()
        print("pyvisa:", identity, "- 25 % and 490 Hz set and read back")
    finally:
        server.terminate()
        server.wait(10)
        sim.terminate()
        sim.wait(10)
