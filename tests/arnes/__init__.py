"""arnes — the harness that drives the real game under X, for the tests and the project's tools.

It is the one place in the project that starts a private X server, starts the game on a display,
finds its window, types keys into it, reads its transcript, waits for a settled picture and
compares pictures: for the e2e tests, the README's screenshot (scripts/captura.py), the
whole-program benchmark and the first-picture stress run (bench/programa). Its modules:

- arnes.xvfb: Xvfb, a private X server (-displayfd); `python3 -m arnes.xvfb -- COMMAND` runs a
  command on one.
- arnes.juego: Juego, a run of the game (or of a command in front of it) on a display: its window
  found and focused, keys typed, its settled picture (asentada, redibujada), its exit; Partida, a
  Juego whose transcript is read turn by turn.
- arnes.x: Conexion, the harness's connection to a display (python3-xlib): windows by process id,
  focus, keys through XTest, size, properties, whole-window pictures; tapa(), another client's
  window over the screen; espera(), the one wait, and PLAZO.
- arnes.gestor: Gestor, a window manager of the test's own.
- arnes.imagen: Foto, a picture read back, kept as PNG; diferencia(), how two pictures differ.
- arnes.transcripcion: the console transcript cut into turns, and the bytes of a board dump.
- arnes.reglas: the rules, the computer's choice and the cursor, modelled apart from the game.
- arnes.proceso: the game and the server dying with the process that started them; the game's
  main thread idle or not, and the CPU time of all its threads; para(), a process stopped.

It needs Debian's python3-xlib, python3-pil and python3-psutil, and setpriv (util-linux), and
tests/ on the import path: tests/pytest.ini puts it there for pytest, PYTHONPATH=tests for the rest.
"""
