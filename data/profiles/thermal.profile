# Simulated sensor of the sample thermal double-sensor bullet: the visible
# channel's Sony IMX327 on a Hi3516AV200Thermal, PAL.
#
#   version TEXT, day-night 0|1, range CMD TYPE DEFAULT V..., value CMD V
#   (see box.profile)
version IMX327-TD2-327T ISP 3.2.7
day-night 0
range 49 0 8 8 9 10 11 12 13 14 15 16 17 18
range 50 0 12 8 9 10 11 12 13 14 15 16 17 18 19 20
