"""arnes.proceso — what the harness asks of the processes it starts.

huerfano_muere() puts util-linux's setpriv in front of a command, so that the kernel kills the
command when the process that started it ends, whatever way it ends (SIGKILL from a test runner's
timeout included): no run leaves a game or an X server behind. setpriv sets the parent-death
signal and then executes the command, which keeps setpriv's process id.

reposo() reads, through psutil, what the harness needs to know of an idle game: the state of its
main thread ("S" while it waits) and how many times that thread has waited (its voluntary context
switches: one for each wait for an X event or reply, among others); cpu() the CPU time of all its
threads, which an idle game does not add to. para() stops a process.
"""

import contextlib
import os
import signal
import subprocess

import psutil

from arnes.x import PLAZO


def huerfano_muere(orden):
    """`orden` with setpriv in front, so that SIGKILL ends it when its parent ends."""
    return ["setpriv", "--pdeathsig", "KILL", "--", *orden]


def reposo(pid):
    """(state of the main thread, its voluntary context switches so far) of process `pid`."""
    proceso = psutil.Process(pid)
    with proceso.oneshot():
        estado = {psutil.STATUS_SLEEPING: "S", psutil.STATUS_RUNNING: "R"}.get(
            proceso.status(), proceso.status())
        return estado, proceso.num_ctx_switches().voluntary


def cpu(pid):
    """The CPU time, user and system, of all the threads of process `pid` so far, in seconds."""
    tiempos = psutil.Process(pid).cpu_times()
    return tiempos.user + tiempos.system


def para(proceso, grupo=False):
    """Stops `proceso` (a Popen): SIGTERM, then SIGKILL if it has not ended within PLAZO; returns
    its exit status. With `grupo`, for a process started in a session of its own, the signals go
    to its whole process group, so that what it started ends too."""
    senala = (lambda senal: os.killpg(proceso.pid, senal)) if grupo else proceso.send_signal
    for senal, plazo in ((signal.SIGTERM, PLAZO), (signal.SIGKILL, None)):
        with contextlib.suppress(ProcessLookupError):
            senala(senal)
        with contextlib.suppress(subprocess.TimeoutExpired):
            return proceso.wait(plazo)
