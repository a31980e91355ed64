# Simulated sensor of the sample box camera: Sony IMX385 behind a DC-iris
# varifocal lens on a Hi3516AV200, PAL (25 frames per second).
#
#   version TEXT              what the camera-version query answers
#   day-night 0|1             the day/night state the sensor reports (1 night)
#   range CMD TYPE DEFAULT V...  a sensor-dependent command: its default and
#                             the values it accepts (the command is listed too)
#   value CMD V               what a plain read of CMD answers
version IMX385-BX2-385Z ISP 3.2.7
day-night 0
# Max shutter from 1/4 s (4) to 1/3000 s (20); fixed shutter from 1/25 s.
range 49 0 8 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20
range 50 0 12 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24
# The lens opens to F1.4 and closes to F11.
range 82 0 512 358 410 512 614 717 870 1024 1229 1434 1741 2048 2458 2816
value 1568 24576
value 1552 1200
value 1648 5120
