/* libasyncProfiler.so of Welbrin's asprof stand-in. The stand-in samples
 * through jcmd and has no in-process agent; a JVM told to load this library
 * (-agentpath or jcmd JVMTI.agent_load) gets a clear refusal instead of a
 * silently missing profiler. */
#include <stdio.h>

static int refuse(void)
{
    fputs("libasyncProfiler.so: this is Welbrin's async-profiler stand-in, which has no JVM agent; "
          "profile with bin/asprof, or build Welbrin with a real async-profiler archive\n", stderr);
    return 1; /* any non-zero value makes the JVM reject the agent */
}

int Agent_OnLoad(void *vm, char *options, void *reserved)
{
    (void)vm; (void)options; (void)reserved;
    return refuse();
}

int Agent_OnAttach(void *vm, char *options, void *reserved)
{
    (void)vm; (void)options; (void)reserved;
    return refuse();
}
