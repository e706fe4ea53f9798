# Windows test programs run under wine. wine starts its background services with the first
# program and they outlive it; started inside a test they would keep ctest's output pipe open
# until the test times out. So one setup test brings up a wine server that stays for a minute
# after its last client, and the services, with their output sent nowhere (a server already
# running is fine).
find_program(ZEL_WINESERVER wineserver)
if(CMAKE_CROSSCOMPILING_EMULATOR AND ZEL_WINESERVER)
    add_test(NAME wine.start
             COMMAND sh -c "'${ZEL_WINESERVER}' -p60 >/dev/null 2>&1 </dev/null; '${CMAKE_CROSSCOMPILING_EMULATOR}' wineboot -i >/dev/null 2>&1 </dev/null")
    set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
endif()
